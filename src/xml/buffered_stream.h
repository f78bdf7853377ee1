// Read and write streams that serve byte-sized requests from a 64 KB block, touching the wrapped
// stream once per block.
#pragma once

#include "core/stream.h"

#include <cstring>
#include <memory>
#include <string_view>

namespace xunda {

class XmlBufferedReadStream : public Stream {
public:
    static constexpr std::int64_t kPageSize = 65536;

    // `owned`: the source is freed with this stream.
    XmlBufferedReadStream(Stream* source, bool owned);
    ~XmlBufferedReadStream() override;
    XmlBufferedReadStream(const XmlBufferedReadStream&) = delete;
    XmlBufferedReadStream& operator=(const XmlBufferedReadStream&) = delete;

    // Copies what the source holds from the position on; 0 past its end or before its start.
    std::size_t Read(void* buffer, std::size_t count) override;
    // Always raises: the stream is for reading.
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Size() override { return source_->Size(); }

    // One byte: the fast case is a lookup in the page held.
    bool ReadByte(char& c) {
        std::int64_t offset = position_ - pageStart_;
        if (static_cast<std::uint64_t>(offset) < static_cast<std::uint64_t>(pageSize_)) {
            c = buffer_[offset];
            ++position_;
            return true;
        }
        return Read(&c, 1) == 1;
    }
    std::int64_t CurrentPosition() const { return position_; }
    // The bytes of the page held from the position on (empty when the position is outside it).
    std::string_view PeekPage() const {
        std::int64_t offset = position_ - pageStart_;
        if (static_cast<std::uint64_t>(offset) >= static_cast<std::uint64_t>(pageSize_)) return {};
        return std::string_view(buffer_.get() + offset, static_cast<std::size_t>(pageSize_ - offset));
    }
    void Skip(std::size_t count) { position_ += static_cast<std::int64_t>(count); }
    // Goes back over the byte just read.
    void Unread() { --position_; }

private:
    void LoadPage(std::int64_t page);

    Stream* source_;
    bool owned_;
    std::unique_ptr<char[]> buffer_;
    std::int64_t pageIndex_ = -1;
    std::int64_t pageStart_ = 0;
    std::int64_t pageSize_ = 0;
    std::int64_t position_ = 0;
};

class XmlBufferedWriteStream : public Stream {
public:
    static constexpr std::size_t kBlockSize = 65536;

    XmlBufferedWriteStream(Stream* sink, bool owned);
    // Writes out what is held; a failure there is lost, so callers that need to know call Flush first.
    ~XmlBufferedWriteStream() override;
    XmlBufferedWriteStream(const XmlBufferedWriteStream&) = delete;
    XmlBufferedWriteStream& operator=(const XmlBufferedWriteStream&) = delete;

    // Always raises: the stream is for writing.
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    // Answers position and size queries only (the bytes accepted so far).
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    // Writes the block to the sink; EStreamError "Cannot write to output stream" when the sink takes less.
    void Flush();

private:
    Stream* sink_;
    bool owned_;
    std::unique_ptr<char[]> buffer_;
    std::size_t fill_ = 0;
    std::int64_t position_ = 0;
};

}  // namespace xunda
