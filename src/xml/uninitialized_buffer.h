// A growable buffer of plain values whose new elements are left uninitialised: the codec fills
// what it grows at once, so zeroing it first would only cost a second pass over the memory.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <type_traits>

namespace xunda {

template <typename T>
class UninitializedBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T* data() { return items_.get(); }
    const T* data() const { return items_.get(); }
    T& operator[](std::size_t index) { return items_[index]; }
    const T& operator[](std::size_t index) const { return items_[index]; }

    void reserve(std::size_t count) {
        if (count <= capacity_) return;
        capacity_ = std::max(count, 2 * capacity_);
        std::unique_ptr<T[]> grown(new T[capacity_]);  // default-initialised: left as it is
        if (size_ > 0) std::memcpy(grown.get(), items_.get(), size_ * sizeof(T));
        items_ = std::move(grown);
    }
    // Elements past the old size are uninitialised.
    void resize(std::size_t count) {
        reserve(count);
        size_ = count;
    }
    void clear() { size_ = 0; }
    void append(const T* values, std::size_t count) {
        resize(size_ + count);
        if (count > 0) std::memcpy(items_.get() + size_ - count, values, count * sizeof(T));
    }
    void append(std::size_t count, T value) {
        resize(size_ + count);
        std::fill(items_.get() + size_ - count, items_.get() + size_, value);
    }
    // Drops the first count elements.
    void EraseFront(std::size_t count) {
        if (count > 0 && count < size_)
            std::memmove(items_.get(), items_.get() + count, (size_ - count) * sizeof(T));
        size_ -= std::min(count, size_);
    }

  private:
    std::unique_ptr<T[]> items_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace xunda
