#include "xml/buffered_stream.h"

#include <algorithm>

#include "core/exceptions.h"

namespace xunda {

XmlBufferedReadStream::XmlBufferedReadStream(Stream& source)
    : source_(&source), buffer_(new char[kPageSize]) {}

XmlBufferedReadStream::XmlBufferedReadStream(std::unique_ptr<Stream> source)
    : owned_(std::move(source)), source_(owned_.get()), buffer_(new char[kPageSize]) {}

void XmlBufferedReadStream::LoadPage(std::int64_t page) {
    pageIndex_ = page;
    pageStart_ = page * kPageSize;
    pageSize_ = static_cast<std::int64_t>(ReadSource(pageStart_, buffer_.get(), kPageSize));
}

std::size_t XmlBufferedReadStream::ReadSource(std::int64_t start, char* into, std::size_t most) {
    const auto size = static_cast<std::size_t>(
        std::clamp<std::int64_t>(source_->Size() - start, 0, static_cast<std::int64_t>(most)));
    if (size == 0) return 0;
    source_->SetPosition(start);
    std::size_t got = 0;
    while (got < size) {
        std::size_t n = source_->Read(into + got, size - got);
        if (n == 0) break;
        got += n;
    }
    return got;
}

std::size_t XmlBufferedReadStream::Read(void* buffer, std::size_t count) {
    if (position_ < 0) return 0;
    std::size_t done = 0;
    while (done < count) {
        if (count - done >= static_cast<std::size_t>(kPageSize)) {
            // a page or more asked for: straight from the source, without the copy through the block
            const std::size_t n = ReadSource(position_, static_cast<char*>(buffer) + done, count - done);
            done += n;
            position_ += static_cast<std::int64_t>(n);
            break;
        }
        std::int64_t page = position_ / kPageSize;
        if (page != pageIndex_) LoadPage(page);
        std::int64_t offset = position_ - pageStart_;
        if (offset >= pageSize_) break;
        std::size_t n = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(count - done), pageSize_ - offset));
        std::memcpy(static_cast<char*>(buffer) + done, buffer_.get() + offset, n);
        done += n;
        position_ += static_cast<std::int64_t>(n);
    }
    return done;
}

std::size_t XmlBufferedReadStream::Write(const void*, std::size_t) {
    throw EStreamError("Cannot write to an UTF stream opened for reading");
}

std::int64_t XmlBufferedReadStream::Seek(std::int64_t offset, SeekOrigin origin) {
    switch (origin) {
        case SeekOrigin::Beginning:
            position_ = offset;
            break;
        case SeekOrigin::Current:
            position_ += offset;
            break;
        case SeekOrigin::End:
            position_ = source_->Size() + offset;
            break;
    }
    return position_;
}

XmlBufferedWriteStream::XmlBufferedWriteStream(Stream& sink) : sink_(&sink), buffer_(new char[kBlockSize]) {}

XmlBufferedWriteStream::XmlBufferedWriteStream(std::unique_ptr<Stream> sink)
    : owned_(std::move(sink)), sink_(owned_.get()), buffer_(new char[kBlockSize]) {}

XmlBufferedWriteStream::~XmlBufferedWriteStream() {
    try {
        Flush();
    } catch (const EStreamError&) {
    }
}

std::size_t XmlBufferedWriteStream::Read(void*, std::size_t) {
    throw EStreamError("Cannot read from a conversion stream opened for writing");
}

std::size_t XmlBufferedWriteStream::Write(const void* buffer, std::size_t count) {
    const char* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        std::size_t n = std::min(kBlockSize - fill_, count - done);
        std::memcpy(buffer_.get() + fill_, in + done, n);
        fill_ += n;
        done += n;
        position_ += static_cast<std::int64_t>(n);
        if (fill_ == kBlockSize) Flush();
    }
    return done;
}

std::int64_t XmlBufferedWriteStream::Seek(std::int64_t offset, SeekOrigin origin) {
    bool query = origin == SeekOrigin::Beginning ? offset == position_ : offset == 0;
    if (!query) throw EStreamError("Cannot perform seek on codec stream");
    return position_;
}

void XmlBufferedWriteStream::Flush() {
    if (fill_ == 0) return;
    std::size_t n = sink_->Write(buffer_.get(), fill_);
    std::size_t expected = fill_;
    fill_ = 0;
    if (n != expected) throw EStreamError("Cannot write to output stream");
}

}  // namespace xunda
