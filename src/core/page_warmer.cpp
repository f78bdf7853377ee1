#include "core/page_warmer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <system_error>

#include "core/huge_pages.h"

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older kernels refuse it
#endif

namespace xunda {

namespace {

constexpr std::size_t kStep = std::size_t{2} << 20;  // pages mapped between looks at the stop flag

}  // namespace

PageWarmer::PageWarmer(std::span<char> memory) {
    // Only whole pages inside the memory.
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto first = reinterpret_cast<std::uintptr_t>(memory.data());
    const std::uintptr_t begin = (first + page - 1) / page * page;
    const std::uintptr_t end = (first + memory.size()) / page * page;
    if (begin >= end) return;
    AdviseHugePages(memory);  // one first touch per 2 MiB where the system has huge pages
    try {
        thread_ = std::thread(&PageWarmer::Run, this, reinterpret_cast<char*>(begin), end - begin);
    } catch (const std::system_error&) {
        // No thread: the writer maps the pages itself.
    }
}

PageWarmer::~PageWarmer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void PageWarmer::Run(char* begin, std::size_t length) {
    for (std::size_t done = 0; done < length && !stop_; done += kStep)
        if (madvise(begin + done, std::min(kStep, length - done), MADV_POPULATE_WRITE) != 0) return;
}

}  // namespace xunda
