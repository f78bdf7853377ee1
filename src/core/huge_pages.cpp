#include "core/huge_pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace xunda {

void AdviseHugePages(std::span<char> memory) {
    constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
    const auto first = reinterpret_cast<std::uintptr_t>(memory.data());
    const std::uintptr_t begin = (first + kHuge - 1) / kHuge * kHuge;
    const std::uintptr_t end = (first + memory.size()) / kHuge * kHuge;
    if (begin < end) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace xunda
