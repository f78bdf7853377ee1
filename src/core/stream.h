// Byte streams: the abstract Stream, a growable MemoryStream, a ViewStream reading bytes held
// elsewhere and a FileStream over a POSIX file.
//
// Positions and sizes are 64-bit byte offsets. Read and Write move as many bytes as they can and
// return that count (0 at the end of the data); ReadBuffer and WriteBuffer insist on the whole count
// and raise EStreamError otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace xunda {

enum class SeekOrigin { Beginning = 0, Current = 1, End = 2 };

class Stream {
  public:
    virtual ~Stream() = default;

    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // Moves the position and returns the new one.
    virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(std::int64_t position) { Seek(position, SeekOrigin::Beginning); }
    // The size as the seeks report it: current position, end, then back to the position.
    virtual std::int64_t Size();

    // The whole count or EStreamError "Stream read error" / "Stream write error".
    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);
    // Copies count bytes from the source's position; count 0 copies the whole source from its start.
    std::int64_t CopyFrom(Stream& source, std::int64_t count);
};

// The bytes live in memory; writing past the end grows the stream. The buffer grows by a quarter,
// in whole pages, and new room is not zero-filled, so a stream never reserves much more than it
// holds. A small buffer comes from the heap; a large one is a mapping of the stream's own, on huge
// pages where the system has them (one first touch per 2 MiB), grown by remapping it, never by
// copying it.
class MemoryStream : public Stream {
  public:
    // Buffers from this size are mappings of their own.
    static constexpr std::size_t kMappedSize = std::size_t{4} << 20;

    MemoryStream() = default;
    ~MemoryStream() override { Clear(); }
    MemoryStream(MemoryStream&& other) noexcept;
    MemoryStream& operator=(MemoryStream&& other) noexcept;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(size_); }

    // New bytes of a larger size are zero; the position stays where it was.
    void SetSize(std::int64_t size);
    // Room for at least Size bytes; the bytes beyond the data stay as they are (not zeroed).
    void Reserve(std::size_t size);
    // Writes straight into the storage: Fill gets room for Count bytes at the position and returns
    // how many it wrote there, which the stream then holds as Write would. Returns that count.
    std::size_t WriteInPlace(std::size_t count,
                             const std::function<std::size_t(char* room, std::size_t count)>& fill);
    void Clear();
    // Null while the stream has no buffer (new, or after Clear).
    const char* Memory() const { return data_; }
    // The reserved storage beyond the data.
    std::span<char> Spare() { return {data_ + size_, capacity_ - size_}; }
    std::string_view Bytes() const { return {data_, size_}; }

    void LoadFromStream(Stream& source);
    void SaveToStream(Stream& target) const;
    void LoadFromFile(const std::filesystem::path& file);
    // Through the file writer: the file is replaced whole (or stays as it was), 0600.
    // EStreamError "Cannot create file ..." or "Stream write error".
    void SaveToFile(const std::filesystem::path& file) const;

  private:
    char* data_ = nullptr;  // from malloc below kMappedSize, else mapped
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    std::int64_t position_ = 0;
};

// Reads bytes that stay their owner's (they outlive the stream) without copying them first; writes
// take nothing. Seeks as MemoryStream's do.
class ViewStream : public Stream {
  public:
    explicit ViewStream(std::string_view bytes) : bytes_(bytes) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void*, std::size_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }

  private:
    std::string_view bytes_;
    std::int64_t position_ = 0;
};

// An existing file opened for reading (files are written through FileWriter, core/file_write.h).
// Open errors raise EStreamError with the file's name and the system's reason.
class FileStream : public Stream {
  public:
    explicit FileStream(const std::filesystem::path& file);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void*, std::size_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Size() override;

  private:
    int fd_ = -1;
};

}  // namespace xunda
