// The attribute lines of a node ("name=value" as added or parsed), held in one block of memory:
// the texts of the lines from its start, the end offset of each line from its end backwards. A
// few short lines (the common case) fit in a block inside the list itself, so that most nodes
// need no allocation for their attributes; longer lists take one block on the heap however many
// lines they hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace xunda {

class XmlAttributeLines {
  public:
    XmlAttributeLines() = default;
    XmlAttributeLines(const XmlAttributeLines& other);
    XmlAttributeLines& operator=(const XmlAttributeLines& other);
    ~XmlAttributeLines() { Release(); }

    std::size_t size() const { return block_ ? block_->count : 0; }
    bool empty() const { return size() == 0; }
    std::string_view operator[](std::size_t index) const {
        std::size_t begin = index == 0 ? 0 : End(index - 1);
        return std::string_view(Text() + begin, End(index) - begin);
    }

    void push_back(std::string_view line) {
        const std::size_t count = size();
        const std::size_t textSize = block_ ? block_->textSize : 0;
        Reserve(textSize + line.size(), count + 1);
        if (!line.empty()) std::memcpy(Text() + textSize, line.data(), line.size());
        block_->textSize = static_cast<Offset>(textSize + line.size());
        block_->count = static_cast<Offset>(count + 1);
        End(count) = block_->textSize;
    }
    // Extends the last line.
    void AppendToLast(std::string_view more);
    void Replace(std::size_t index, std::string_view line);
    void Insert(std::size_t index, std::string_view line);
    void Erase(std::size_t index);
    // The lines from `first` on of another list, replacing these, in a block of their exact size.
    void AssignFrom(const XmlAttributeLines& other, std::size_t first);
    // Empties the list, keeping its block for reuse.
    void clear() {
        if (block_) block_->count = block_->textSize = 0;
    }
    // Empties the list and gives its memory back.
    void Release();

  private:
    // Sizes and offsets within a block: 32 bits keep the block inside a node small.
    using Offset = std::uint32_t;
    struct Block {
        Offset count;
        Offset textSize;
        Offset capacity;  // bytes after the header, a multiple of sizeof(Offset)
    };
    static constexpr std::size_t Room(std::size_t textSize, std::size_t count) {
        return (textSize + sizeof(Offset) - 1) / sizeof(Offset) * sizeof(Offset) + count * sizeof(Offset);
    }
    char* Text() const { return reinterpret_cast<char*>(block_ + 1); }
    Offset* EndsBase() const { return reinterpret_cast<Offset*>(Text() + block_->capacity); }
    Offset& End(std::size_t index) const { return EndsBase()[-1 - static_cast<std::ptrdiff_t>(index)]; }
    // Makes room for a text of textSize bytes and count lines; `exact` sizes a new heap block to fit.
    void Reserve(std::size_t textSize, std::size_t count, bool exact = false) {
        if (!block_ || Room(textSize, count) > block_->capacity) Grow(textSize, count, exact);
    }
    void Grow(std::size_t textSize, std::size_t count, bool exact);
    Block* LocalBlock() { return reinterpret_cast<Block*>(local_); }

    // Bytes after the header of the block inside the list: three attributes of about a dozen
    // characters each.
    static constexpr std::size_t kLocalCapacity = 68;

    Block* block_ = nullptr;  // null, LocalBlock() or a heap block
    alignas(Block) unsigned char local_[sizeof(Block) + kLocalCapacity];
};

}  // namespace xunda
