// Read and write streams that serve byte-sized requests from a 64 KB block, touching the wrapped
// stream once per block.
#pragma once

#include <cstring>
#include <memory>
#include <string_view>

#include "core/stream.h"

namespace xunda {

class XmlBufferedReadStream : public Stream {
  public:
    static constexpr std::int64_t kPageSize = 65536;

    // Reads the caller's source, which stays the caller's.
    explicit XmlBufferedReadStream(Stream& source);
    // Owns the source: it is freed with this stream.
    explicit XmlBufferedReadStream(std::unique_ptr<Stream> source);
    XmlBufferedReadStream(const XmlBufferedReadStream&) = delete;
    XmlBufferedReadStream& operator=(const XmlBufferedReadStream&) = delete;

    // Copies what the source holds from the position on; 0 past its end or before its start.
    std::size_t Read(void* buffer, std::size_t count) override;
    // Always raises: the stream is for reading.
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Size() override { return source_->Size(); }

  private:
    void LoadPage(std::int64_t page);
    // Reads at most `most` bytes of the source from `start` on into `into`; returns how many came.
    std::size_t ReadSource(std::int64_t start, char* into, std::size_t most);

    std::unique_ptr<Stream> owned_;
    Stream* source_;
    std::unique_ptr<char[]> buffer_;
    std::int64_t pageIndex_ = -1;
    std::int64_t pageStart_ = 0;
    std::int64_t pageSize_ = 0;
    std::int64_t position_ = 0;
};

class XmlBufferedWriteStream : public Stream {
  public:
    static constexpr std::size_t kBlockSize = 65536;

    // Writes to the caller's sink, which stays the caller's.
    explicit XmlBufferedWriteStream(Stream& sink);
    // Owns the sink: it is freed with this stream, after the block is written out.
    explicit XmlBufferedWriteStream(std::unique_ptr<Stream> sink);
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
    std::unique_ptr<Stream> owned_;
    Stream* sink_;
    std::unique_ptr<char[]> buffer_;
    std::size_t fill_ = 0;
    std::int64_t position_ = 0;
};

}  // namespace xunda
