#include "xml/node_pool.h"

#include <sanitizer/asan_interface.h>
#include <sys/mman.h>

#include <atomic>
#include <bit>
#include <cstdint>
#include <mutex>
#include <new>

#include "core/page_warmer.h"

namespace xunda::node_pool {
namespace {

constexpr std::size_t kSlotAlign = 16;
// Counted into a slab's balance while a thread hands out its slots, so that frees alone cannot
// bring it to zero meanwhile.
constexpr std::int64_t kOwned = std::int64_t{1} << 40;

using Bits = std::atomic<std::uint64_t>;

struct alignas(kSlotAlign) Slab {
    // Live nodes; while a thread hands out slots also kOwned less the slots it has handed out.
    std::atomic<std::int64_t> balance{kOwned};
    std::size_t slotSize = 0;
    // Offset * inverse >> 32 is the index of the slot at that offset: exact for multiples of
    // slotSize below 2^32 / slotSize, and cheaper than a division on every free.
    std::uint64_t inverse = 0;
    std::size_t slots = 0;  // how many fit
    std::size_t words = 0;  // of the freed-slot bits that follow the header
    std::size_t header = 0;
    std::size_t fresh = 0;  // the slots from here on were never handed out (its thread's)
    // In the list of slabs no thread hands out (under the lock).
    Slab* prev = nullptr;
    Slab* next = nullptr;
    bool listed = false;

    // Bit i set: slot i is free to be handed out again.
    Bits* Freed() { return reinterpret_cast<Bits*>(this + 1); }
    char* Slot(std::size_t index) { return reinterpret_cast<char*>(this) + header + index * slotSize; }
    std::size_t IndexOf(void* slot) {
        return static_cast<std::size_t>(
            static_cast<std::uint64_t>(static_cast<char*>(slot) - Slot(0)) * inverse >> 32);
    }
};

Slab* SlabOf(void* slot) {
    return reinterpret_cast<Slab*>(reinterpret_cast<std::uintptr_t>(slot) & ~(SlabSize - 1));
}

// Slabs that hold nodes or hand them out: mapped and not in the stock.
std::atomic<std::size_t> slabsInUse{0};

void Unmap(Slab* slab) {
    slabsInUse.fetch_sub(1, std::memory_order_relaxed);
    slab->~Slab();
    ASAN_UNPOISON_MEMORY_REGION(slab, SlabSize);  // the addresses may be mapped again by others
    munmap(slab, SlabSize);
}

// Under one lock: the slabs no thread hands out that still hold nodes, oldest first, and a few
// empty slabs kept with their pages for the next ones (a reader that parses reply after reply
// then maps none), few enough that little memory stays with a program that parses no more.
std::mutex listLock;
Slab* listHead = nullptr;
Slab* listTail = nullptr;
constexpr int kStockSize = 16;
Slab* stock = nullptr;
int stocked = 0;

void List(Slab* slab) {
    slab->prev = listTail;
    slab->next = nullptr;
    (listTail ? listTail->next : listHead) = slab;
    listTail = slab;
    slab->listed = true;
}

void Unlist(Slab* slab) {
    (slab->prev ? slab->prev->next : listHead) = slab->next;
    (slab->next ? slab->next->prev : listTail) = slab->prev;
    slab->listed = false;
}

// An empty slab, under the lock: kept in the stock while it has room (true), else to be unmapped.
bool Stock(Slab* slab) {
    if (slab->listed) Unlist(slab);
    if (stocked == kStockSize) return false;
    slabsInUse.fetch_sub(1, std::memory_order_relaxed);
    slab->next = stock;
    stock = slab;
    ++stocked;
    return true;
}

Slab* MapSlab(std::size_t slotSize) {
    {
        std::lock_guard lock(listLock);
        if (Slab* slab = stock) {
            stock = slab->next;
            --stocked;
            slabsInUse.fetch_add(1, std::memory_order_relaxed);
            slab->balance.store(kOwned, std::memory_order_relaxed);
            slab->fresh = 0;
            slab->next = nullptr;
            for (std::size_t i = 0; i < slab->words; ++i)
                slab->Freed()[i].store(0, std::memory_order_relaxed);
            return slab;  // its slots all freed, so out of bounds for the address checker
        }
    }
    void* mapped = mmap(nullptr, 2 * SlabSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    slabsInUse.fetch_add(1, std::memory_order_relaxed);
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + SlabSize - 1) & ~(SlabSize - 1);
    if (aligned > start) munmap(mapped, aligned - start);
    munmap(reinterpret_cast<void*>(aligned + SlabSize), start + SlabSize - aligned);
    char* memory = reinterpret_cast<char*>(aligned);
    // The slots are about to be filled: their pages are mapped in one call, not one fault each.
    MapPagesNow(memory, SlabSize);
    Slab* slab = new (memory) Slab;
    slab->slotSize = slotSize;
    slab->inverse = ((std::uint64_t{1} << 32) + slotSize - 1) / slotSize;
    slab->words = (SlabSize / slotSize + 63) / 64;
    slab->header = (sizeof(Slab) + slab->words * sizeof(Bits) + kSlotAlign - 1) / kSlotAlign * kSlotAlign;
    slab->slots = (SlabSize - slab->header) / slotSize;
    for (std::size_t i = 0; i < slab->words; ++i) new (slab->Freed() + i) Bits(0);
    // Slots not handed out yet, and slots freed, are out of bounds for the address checker.
    ASAN_POISON_MEMORY_REGION(slab->Slot(0), SlabSize - slab->header);
    return slab;
}

// Takes a listed slab with room for an eighth of its slots; slabs without are moved to the end.
// A slab whose last node is being freed (balance 0) is left to its freer.
Slab* TakeListed() {
    std::lock_guard lock(listLock);
    for (int looked = 0; listHead && looked < 8; ++looked) {
        Slab* slab = listHead;
        std::int64_t balance = slab->balance.load(std::memory_order_relaxed);
        while (balance > 0 && static_cast<std::size_t>(balance) <= slab->slots - slab->slots / 8)
            if (slab->balance.compare_exchange_weak(balance, balance + kOwned, std::memory_order_acquire)) {
                Unlist(slab);
                return slab;
            }
        Unlist(slab);
        if (balance > 0) List(slab);
    }
    return nullptr;
}

// A slab no thread hands out whose balance a free brought to zero.
void Release(Slab* slab) {
    std::unique_lock lock(listLock);
    if (Stock(slab)) return;
    lock.unlock();
    Unmap(slab);
}

// The slab a thread hands its slots from.
struct Handing {
    Slab* slab = nullptr;
    std::int64_t handed = 0;  // slots handed out since the thread took the slab
    std::size_t word = 0;     // the freed-slot word to look at next
    std::uint64_t taken = 0;  // freed slots of word takenWord taken back, not handed out yet
    std::size_t takenWord = 0;

    ~Handing() { LetGo(); }

    char* Take() {
        if (taken == 0 && slab->fresh < slab->slots) return slab->Slot(slab->fresh++);
        for (std::size_t looked = 0; taken == 0 && looked < slab->words; ++looked, ++word) {
            if (word == slab->words) word = 0;
            if (slab->Freed()[word].load(std::memory_order_relaxed) == 0) continue;
            taken = slab->Freed()[word].exchange(0, std::memory_order_acquire);
            takenWord = word;
        }
        if (taken == 0) return nullptr;
        const std::size_t index = takenWord * 64 + static_cast<std::size_t>(std::countr_zero(taken));
        taken &= taken - 1;
        return slab->Slot(index);
    }

    void Switch(std::size_t size) {
        LetGo();
        slab = TakeListed();
        if (!slab) slab = MapSlab(size);
        handed = 0;
        word = 0;
    }

    void LetGo() {
        if (!slab) return;
        if (taken) slab->Freed()[takenWord].fetch_or(taken, std::memory_order_relaxed);
        taken = 0;
        std::unique_lock lock(listLock);
        const std::int64_t settle = kOwned - handed;
        if (slab->balance.fetch_sub(settle, std::memory_order_acq_rel) != settle) {
            List(slab);
        } else if (!Stock(slab)) {
            lock.unlock();
            Unmap(slab);
        }
        slab = nullptr;
    }
};

thread_local Handing handing;

}  // namespace

void* Allocate(std::size_t size) {
    size = (size + kSlotAlign - 1) / kSlotAlign * kSlotAlign;
    char* slot = handing.slab ? handing.Take() : nullptr;
    while (!slot) {
        handing.Switch(size);
        slot = handing.Take();
    }
    ++handing.handed;
    ASAN_UNPOISON_MEMORY_REGION(slot, size);
    return slot;
}

void Free(void* slot, std::size_t size) noexcept {
    ASAN_POISON_MEMORY_REGION(slot, size);
    Slab* slab = SlabOf(slot);
    const std::size_t index = slab->IndexOf(slot);
    slab->Freed()[index / 64].fetch_or(std::uint64_t{1} << (index % 64), std::memory_order_release);
    if (slab->balance.fetch_sub(1, std::memory_order_acq_rel) == 1) Release(slab);
}

std::size_t BytesInUse() {
    return slabsInUse.load(std::memory_order_relaxed) * SlabSize;
}

}  // namespace xunda::node_pool
