#include "xml/node_pool.h"

#include <sanitizer/asan_interface.h>
#include <sys/mman.h>

#include <atomic>
#include <cstdint>
#include <new>

#include "core/huge_pages.h"

namespace xunda::node_pool {
namespace {

// A slab is one huge page where the system has them.
constexpr std::size_t kSlabSize = std::size_t{2} << 20;
constexpr std::size_t kSlotAlign = 16;
// Counted into a slab's balance while its thread still hands out its slots, so that frees alone
// cannot bring it to zero before then.
constexpr std::int64_t kHanding = std::int64_t{1} << 40;

struct alignas(kSlotAlign) Slab {
    std::atomic<std::int64_t> balance{kHanding};  // kHanding + slots handed out - slots freed
};

Slab* SlabOf(void* slot) {
    return reinterpret_cast<Slab*>(reinterpret_cast<std::uintptr_t>(slot) & ~(kSlabSize - 1));
}

// A slab aligned to its size, so that a slot finds its slab by its address. Only `huge` slabs ask
// for huge pages: a thread that makes a few nodes keeps to the pages it touches.
Slab* MapSlab(bool huge) {
    void* mapped = mmap(nullptr, 2 * kSlabSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kSlabSize - 1) & ~(kSlabSize - 1);
    if (aligned > start) munmap(mapped, aligned - start);
    munmap(reinterpret_cast<void*>(aligned + kSlabSize), start + kSlabSize - aligned);
    void* memory = reinterpret_cast<void*>(aligned);
    if (huge) AdviseHugePages({static_cast<char*>(memory), kSlabSize});
    // Slots not handed out yet, and slots freed, are out of bounds for the address checker.
    ASAN_POISON_MEMORY_REGION(static_cast<char*>(memory) + sizeof(Slab), kSlabSize - sizeof(Slab));
    return new (memory) Slab;
}

void Release(Slab* slab) {
    slab->~Slab();
    ASAN_UNPOISON_MEMORY_REGION(slab, kSlabSize);  // the addresses may be mapped again by others
    munmap(slab, kSlabSize);
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
    bool filledOne = false;  // the thread has used up a slab: it makes nodes by the thousand

    ~Handing() { Retire(); }
    void Retire() {
        if (slab) Settle(slab, kHanding - handed);
        slab = nullptr;
    }
    void Refill() {
        filledOne = filledOne || slab != nullptr;
        Retire();
        slab = MapSlab(filledOne);
        next = reinterpret_cast<char*>(slab) + sizeof(Slab);
        end = reinterpret_cast<char*>(slab) + kSlabSize;
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
