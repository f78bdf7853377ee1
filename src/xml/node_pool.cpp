#include "xml/node_pool.h"

#include <sanitizer/asan_interface.h>
#include <sys/mman.h>

#include <atomic>
#include <cstdint>
#include <new>

#include "core/huge_pages.h"

namespace xunda::node_pool {
namespace {

// Slabs start on 2 MiB boundaries, so that a slot finds its slab by its address. A large slab is
// one huge page where the system has them; a small one keeps a reader that frees its nodes as it
// goes (or a thread that makes a few) to little memory.
constexpr std::size_t kAlign = std::size_t{2} << 20;
constexpr std::size_t kLargeSlab = kAlign;
constexpr std::size_t kSmallSlab = std::size_t{256} << 10;
constexpr std::size_t kSlotAlign = 16;
// Counted into a slab's balance while its thread still hands out its slots, so that frees alone
// cannot bring it to zero before then.
constexpr std::int64_t kHanding = std::int64_t{1} << 40;

struct alignas(kSlotAlign) Slab {
    // kHanding - slots freed while its thread hands out slots, then slots handed out - slots freed
    std::atomic<std::int64_t> balance{kHanding};
    std::size_t size;
};

Slab* SlabOf(void* slot) {
    return reinterpret_cast<Slab*>(reinterpret_cast<std::uintptr_t>(slot) & ~(kAlign - 1));
}

Slab* MapSlab(std::size_t size) {
    void* mapped = mmap(nullptr, 2 * kAlign, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kAlign - 1) & ~(kAlign - 1);
    if (aligned > start) munmap(mapped, aligned - start);
    munmap(reinterpret_cast<void*>(aligned + size), start + 2 * kAlign - aligned - size);
    char* memory = reinterpret_cast<char*>(aligned);
    if (size == kLargeSlab) AdviseHugePages({memory, size});
    // Slots not handed out yet, and slots freed, are out of bounds for the address checker.
    ASAN_POISON_MEMORY_REGION(memory + sizeof(Slab), size - sizeof(Slab));
    Slab* slab = new (memory) Slab;
    slab->size = size;
    return slab;
}

void Release(Slab* slab) {
    const std::size_t size = slab->size;
    slab->~Slab();
    ASAN_UNPOISON_MEMORY_REGION(slab, size);  // the addresses may be mapped again by others
    munmap(slab, size);
}

void Settle(Slab* slab, std::int64_t amount) {
    if (slab->balance.fetch_sub(amount, std::memory_order_acq_rel) == amount) Release(slab);
}

// The slab a thread hands its slots from.
struct Handing {
    Slab* slab = nullptr;
    char* next = nullptr;
    char* end = nullptr;
    std::int64_t handed = 0;

    ~Handing() { Retire(); }
    void Retire() {
        if (slab) Settle(slab, kHanding - handed);
        slab = nullptr;
    }
    void Refill() {
        // A slab filled while most of its nodes stay is a large document being built: the next one
        // is large.
        const bool building = slab && kHanding - slab->balance.load(std::memory_order_relaxed) < handed / 2;
        Retire();
        slab = MapSlab(building ? kLargeSlab : kSmallSlab);
        next = reinterpret_cast<char*>(slab) + sizeof(Slab);
        end = reinterpret_cast<char*>(slab) + slab->size;
        handed = 0;
    }
};

thread_local Handing handing;

}  // namespace

void* Allocate(std::size_t size) {
    size = (size + kSlotAlign - 1) / kSlotAlign * kSlotAlign;
    if (static_cast<std::size_t>(handing.end - handing.next) < size) handing.Refill();
    void* slot = handing.next;
    handing.next += size;
    ++handing.handed;
    ASAN_UNPOISON_MEMORY_REGION(slot, size);
    return slot;
}

void Free(void* slot, std::size_t size) noexcept {
    ASAN_POISON_MEMORY_REGION(slot, size);
    Settle(SlabOf(slot), 1);
}

}  // namespace xunda::node_pool
