// Members of a ZIP container (the .xlsx and .docx packages), read through streams with limits
// that keep a hostile file (a zip bomb, a member that lies about its size) from filling memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/stream.h"

struct zip;

namespace xunda {

class ZipArchive {
  public:
    // What the reader has made of the file so far (cells, texts), as the bytes of XML that
    // may legitimately have made it.
    using Earned = std::function<std::uint64_t()>;

    // The members of one file inflate together (re-reads included) to kFreeInflate plus what the
    // reader has earned, and never past kMostInflated. Bytes that make nothing (blanks, elements
    // that are no cells) stop at kFreeInflate, however well they pack; a workbook earns its room
    // by its cells and texts, so that every one within their limits (workbook_cells.h) is read
    // when its parts stay within kMostInflated. The members are read as streams: this bounds the
    // time a file takes (kMostInflated of the costliest XML: about half a minute), not memory.
    static constexpr std::uint64_t kFreeInflate = std::uint64_t{64} << 20;
    static constexpr std::uint64_t kMostInflated = std::uint64_t{2} << 30;

    // Most bytes a member may hold between one "<" and the next (a window more is noticed late):
    // the XML reader gathers a text, a tag or a comment whole, and a cell or a paragraph is far
    // shorter. A run of blanks or text past it would cost memory, not only time.
    static constexpr std::int64_t kLongestRun = 16 << 20;

    // Throws std::runtime_error when the file is no readable ZIP container. Without `earned`,
    // the members inflate to kFreeInflate.
    explicit ZipArchive(const std::filesystem::path& file, Earned earned = {});
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool Has(const std::string& member) const;
    // A forward stream over the inflated member (short backward seeks are served from the last
    // bytes read). Throws std::runtime_error for a missing member, one larger than kMostInflated,
    // and (while it is read) when the file inflates past what it may or a run passes kLongestRun.
    std::unique_ptr<Stream> Open(const std::string& member) const;

    // What the members have inflated to, shared by their streams.
    struct Inflation;

  private:
    zip* archive_ = nullptr;
    std::shared_ptr<Inflation> inflation_;
};

}  // namespace xunda
