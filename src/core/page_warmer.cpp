#include "core/page_warmer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <system_error>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older kernels refuse it
#endif

namespace xunda {

bool MapPagesNow(void* begin, std::size_t length) {
    return madvise(begin, length, MADV_POPULATE_WRITE) == 0;
}

namespace {

constexpr std::size_t kStep = std::size_t{2} << 20;  // pages mapped in one call: a huge page
constexpr std::size_t kStop = std::numeric_limits<std::size_t>::max();

}  // namespace

PageWarmer::PageWarmer(std::span<char> memory) {
    // Only whole pages inside the memory.
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto first = reinterpret_cast<std::uintptr_t>(memory.data());
    const std::uintptr_t begin = (first + page - 1) / page * page;
    const std::uintptr_t end = (first + memory.size()) / page * page;
    if (begin >= end) return;
    try {
        thread_ = std::thread(&PageWarmer::Run, this, reinterpret_cast<char*>(begin), end - begin);
    } catch (const std::system_error&) {
        // No thread: the writer maps the pages itself.
    }
}

PageWarmer::~PageWarmer() {
    written_.store(kStop);
    written_.notify_one();
    if (thread_.joinable()) thread_.join();
}

void PageWarmer::Written(std::size_t bytes) {
    written_.store(bytes, std::memory_order_relaxed);
    // The thread maps a step at a time: it is woken for the first bytes, then when there may be
    // a new step for it.
    if (woken_ != 0 && bytes / kStep == woken_ / kStep) return;
    woken_ = bytes;
    written_.notify_one();
}

void PageWarmer::Run(char* begin, std::size_t length) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    for (std::size_t done = 0; done < length;) {
        const std::size_t written = written_.load(std::memory_order_relaxed);
        if (written == kStop) return;
        // Nothing before the first bytes: memory reserved for a body that never comes costs none.
        const std::size_t target = written == 0 ? 0 : std::min(length, (written + kAhead) / page * page);
        if (done >= target) {
            written_.wait(written, std::memory_order_relaxed);
            continue;
        }
        const std::size_t step = std::min(kStep, target - done);
        if (!MapPagesNow(begin + done, step)) return;
        done += step;
    }
}

}  // namespace xunda
