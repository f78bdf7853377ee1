#include "core/page_warmer.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string_view>
#include <thread>
#include <vector>

namespace xunda {
namespace {

TEST(PageWarmer, MapsTheWholePagesInsideAndLeavesTheirBytes) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE)), pages = 1024;
    auto* memory = static_cast<char*>(
        mmap(nullptr, pages * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(memory, MAP_FAILED);
    memory[page] = 'w';  // written before: stays
    std::vector<unsigned char> resident(pages);
    auto count = [&] {
        mincore(memory, pages * page, resident.data());
        return std::count_if(resident.begin(), resident.end(), [](unsigned char r) { return r & 1; });
    };
    {
        PageWarmer warmer({memory + 1, pages * page - 2});  // the first and last pages are only partly inside
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (count() < static_cast<long>(pages - 2) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(count(), static_cast<long>(pages - 2));
    EXPECT_FALSE(resident.front() & 1);
    EXPECT_FALSE(resident.back() & 1);
    EXPECT_EQ(memory[page], 'w');
    munmap(memory, pages * page);
}

}  // namespace
}  // namespace xunda
