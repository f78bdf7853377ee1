#include "xml/attribute_lines.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace xunda {

XmlAttributeLines::XmlAttributeLines(const XmlAttributeLines& other) {
    *this = other;
}

XmlAttributeLines& XmlAttributeLines::operator=(const XmlAttributeLines& other) {
    if (this != &other) AssignFrom(other, 0);
    return *this;
}

void XmlAttributeLines::Release() {
    if (block_ && block_ != LocalBlock()) ::operator delete(block_);
    block_ = nullptr;
}

void XmlAttributeLines::Grow(std::size_t textSize, std::size_t count, bool exact) {
    const std::size_t needed = Room(textSize, count);
    if (needed > std::numeric_limits<Offset>::max() / 2) throw std::length_error("attributes too long");
    Block* grown = LocalBlock();
    std::size_t capacity = kLocalCapacity;
    if (block_ || needed > kLocalCapacity) {
        capacity =
            exact || !block_ ? needed : std::max<std::size_t>(needed, block_->capacity * std::size_t{2});
        grown = static_cast<Block*>(::operator new(sizeof(Block) + capacity));
    }
    grown->count = block_ ? block_->count : 0;
    grown->textSize = block_ ? block_->textSize : 0;
    grown->capacity = static_cast<Offset>(capacity);
    if (block_) {
        std::memcpy(reinterpret_cast<char*>(grown + 1), Text(), block_->textSize);
        std::size_t endsBytes = block_->count * sizeof(Offset);
        std::memcpy(reinterpret_cast<char*>(grown + 1) + capacity - endsBytes,
                    reinterpret_cast<char*>(EndsBase()) - endsBytes, endsBytes);
    }
    Release();
    block_ = grown;
}

void XmlAttributeLines::AppendToLast(std::string_view more) {
    Reserve(block_->textSize + more.size(), block_->count);
    std::memcpy(Text() + block_->textSize, more.data(), more.size());
    block_->textSize += static_cast<Offset>(more.size());
    End(block_->count - 1) = block_->textSize;
}

void XmlAttributeLines::Replace(std::size_t index, std::string_view line) {
    std::size_t begin = index == 0 ? 0 : End(index - 1);
    std::size_t oldEnd = End(index);
    std::size_t newEnd = begin + line.size();
    std::size_t tail = block_->textSize - oldEnd;
    Reserve(block_->textSize - (oldEnd - begin) + line.size(), block_->count);
    std::memmove(Text() + newEnd, Text() + oldEnd, tail);
    if (!line.empty()) std::memcpy(Text() + begin, line.data(), line.size());
    block_->textSize = static_cast<Offset>(newEnd + tail);
    for (std::size_t i = index; i < block_->count; ++i)
        End(i) = static_cast<Offset>(End(i) - oldEnd + newEnd);
}

void XmlAttributeLines::Insert(std::size_t index, std::string_view line) {
    std::size_t count = size();
    std::size_t textSize = block_ ? block_->textSize : 0;
    Reserve(textSize + line.size(), count + 1);
    std::size_t begin = index == 0 ? 0 : End(index - 1);
    std::memmove(Text() + begin + line.size(), Text() + begin, textSize - begin);
    if (!line.empty()) std::memcpy(Text() + begin, line.data(), line.size());
    block_->textSize = static_cast<Offset>(textSize + line.size());
    block_->count = static_cast<Offset>(count + 1);
    for (std::size_t i = count; i > index; --i) End(i) = static_cast<Offset>(End(i - 1) + line.size());
    End(index) = static_cast<Offset>(begin + line.size());
}

void XmlAttributeLines::Erase(std::size_t index) {
    Replace(index, {});
    for (std::size_t i = index + 1; i < block_->count; ++i) End(i - 1) = End(i);
    --block_->count;
}

void XmlAttributeLines::AssignFrom(const XmlAttributeLines& other, std::size_t first) {
    std::size_t count = other.size() - std::min(first, other.size());
    if (count == 0) {
        clear();
        return;
    }
    std::size_t skip = first == 0 ? 0 : other.End(first - 1);
    std::size_t textSize = other.block_->textSize - skip;
    Release();
    Reserve(textSize, count, true);
    std::memcpy(Text(), other.Text() + skip, textSize);
    block_->textSize = static_cast<Offset>(textSize);
    block_->count = static_cast<Offset>(count);
    for (std::size_t i = 0; i < count; ++i) End(i) = static_cast<Offset>(other.End(first + i) - skip);
}

}  // namespace xunda
