#include "core/stream.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "core/exceptions.h"
#include "core/file_write.h"

namespace xunda {

std::int64_t Stream::Size() {
    std::int64_t position = Seek(0, SeekOrigin::Current);
    std::int64_t size = Seek(0, SeekOrigin::End);
    Seek(position, SeekOrigin::Beginning);
    return size;
}

void Stream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EStreamError("Stream read error");
}

void Stream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EStreamError("Stream write error");
}

std::int64_t Stream::CopyFrom(Stream& source, std::int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<char> block(static_cast<std::size_t>(std::min<std::int64_t>(count, 1 << 16)));
    for (std::int64_t left = count; left > 0;) {
        std::size_t n =
            static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(block.size())));
        source.ReadBuffer(block.data(), n);
        WriteBuffer(block.data(), n);
        left -= static_cast<std::int64_t>(n);
    }
    return count;
}

namespace {

// Reading and seeking within bytes in memory.
std::size_t ReadBytes(std::string_view bytes, std::int64_t& position, void* buffer, std::size_t count) {
    const auto size = static_cast<std::int64_t>(bytes.size());
    if (position >= size) return 0;
    const auto n =
        static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), size - position));
    std::memcpy(buffer, bytes.data() + position, n);
    position += static_cast<std::int64_t>(n);
    return n;
}

std::int64_t SeekBytes(std::size_t size, std::int64_t& position, std::int64_t offset, SeekOrigin origin) {
    const std::int64_t base = origin == SeekOrigin::Beginning ? 0
                              : origin == SeekOrigin::Current ? position
                                                              : static_cast<std::int64_t>(size);
    position = std::max<std::int64_t>(0, base + offset);
    return position;
}

}  // namespace

// --- MemoryStream ---

MemoryStream::MemoryStream(MemoryStream&& other) noexcept {
    *this = std::move(other);
}

MemoryStream& MemoryStream::operator=(MemoryStream&& other) noexcept {
    if (&other == this) return *this;
    Clear();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    position_ = std::exchange(other.position_, 0);
    return *this;
}

std::size_t MemoryStream::Read(void* buffer, std::size_t count) {
    return ReadBytes(Bytes(), position_, buffer, count);
}

std::size_t MemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    const std::size_t start = static_cast<std::size_t>(position_);
    const std::size_t end = start + count;
    if (end > size_) {
        Reserve(end);
        if (start > size_) std::memset(data_ + size_, 0, start - size_);  // a gap after a seek past the end
        size_ = end;
    }
    std::memcpy(data_ + start, buffer, count);
    position_ = static_cast<std::int64_t>(end);
    return count;
}

std::int64_t MemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
    return SeekBytes(size_, position_, offset, origin);
}

// --- ViewStream ---

std::size_t ViewStream::Read(void* buffer, std::size_t count) {
    return ReadBytes(bytes_, position_, buffer, count);
}

std::int64_t ViewStream::Seek(std::int64_t offset, SeekOrigin origin) {
    return SeekBytes(bytes_.size(), position_, offset, origin);
}

void MemoryStream::SetSize(std::int64_t size) {
    const std::size_t newSize = static_cast<std::size_t>(std::max<std::int64_t>(0, size));
    if (newSize > size_) {
        Reserve(newSize);
        std::memset(data_ + size_, 0, newSize - size_);
    }
    size_ = newSize;
}

void MemoryStream::Clear() {
    if (capacity_ >= kMappedSize)
        munmap(data_, capacity_);
    else
        std::free(data_);
    data_ = nullptr;
    size_ = 0;
    capacity_ = 0;
    position_ = 0;
}

void MemoryStream::Reserve(std::size_t size) {
    if (size <= capacity_) return;
    constexpr std::size_t kStep = 4096;
    const std::size_t capacity = (std::max(size, capacity_ + capacity_ / 4) + kStep - 1) / kStep * kStep;
    if (capacity < kMappedSize) {
        char* grown = static_cast<char*>(std::realloc(data_, capacity));
        if (grown == nullptr) throw std::bad_alloc();
        data_ = grown;
    } else if (capacity_ >= kMappedSize) {
        // The mapping moves whole, its advice with it: its pages are not copied.
        void* grown = mremap(data_, capacity_, capacity, MREMAP_MAYMOVE);
        if (grown == MAP_FAILED) throw std::bad_alloc();
        data_ = static_cast<char*>(grown);
    } else {
        void* mapped = mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) throw std::bad_alloc();
        // The whole mapping, so that it stays one and can grow in place.
        madvise(mapped, capacity, MADV_HUGEPAGE);
        if (size_ > 0) std::memcpy(mapped, data_, size_);
        std::free(data_);
        data_ = static_cast<char*>(mapped);
    }
    capacity_ = capacity;
}

std::size_t MemoryStream::WriteInPlace(std::size_t count,
                                       const std::function<std::size_t(char*, std::size_t)>& fill) {
    if (count == 0) return 0;
    const std::size_t start = static_cast<std::size_t>(position_);
    Reserve(start + count);
    if (start > size_) {
        std::memset(data_ + size_, 0, start - size_);  // a gap after a seek past the end
        size_ = start;
    }
    const std::size_t written = std::min(fill(data_ + start, count), count);
    size_ = std::max(size_, start + written);
    position_ = static_cast<std::int64_t>(start + written);
    return written;
}

void MemoryStream::LoadFromStream(Stream& source) {
    source.SetPosition(0);
    SetSize(source.Size());
    source.ReadBuffer(data_, size_);
    position_ = 0;
}

void MemoryStream::SaveToStream(Stream& target) const {
    target.WriteBuffer(data_, size_);
}

void MemoryStream::LoadFromFile(const std::filesystem::path& file) {
    FileStream in(file);
    LoadFromStream(in);
}

void MemoryStream::SaveToFile(const std::filesystem::path& file) const {
    FileWriter writer(file, FileWriter::Mode::Replace);
    if (!writer.IsOpen())
        throw EStreamError("Cannot create file \"" + file.string() + "\". " +
                           std::strerror(writer.OpenError()));
    if (!writer.Write(Bytes()) || !writer.Commit()) throw EStreamError("Stream write error");
}

// --- FileStream ---

FileStream::FileStream(const std::filesystem::path& file) {
    do {
        fd_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) throw EStreamError("Cannot open file \"" + file.string() + "\". " + std::strerror(errno));
}

FileStream::~FileStream() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t FileStream::Read(void* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::int64_t FileStream::Seek(std::int64_t offset, SeekOrigin origin) {
    int whence = origin == SeekOrigin::Beginning ? SEEK_SET
                 : origin == SeekOrigin::Current ? SEEK_CUR
                                                 : SEEK_END;
    off_t result = ::lseek(fd_, static_cast<off_t>(offset), whence);
    return result < 0 ? ::lseek(fd_, 0, SEEK_CUR) : static_cast<std::int64_t>(result);
}

std::int64_t FileStream::Size() {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return 0;
    return static_cast<std::int64_t>(st.st_size);
}

}  // namespace xunda
