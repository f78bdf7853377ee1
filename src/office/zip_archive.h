// Members of a ZIP container (the .xlsx and .docx packages), read through streams with limits
// that keep a hostile file (a zip bomb, a member that lies about its size) from filling memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "core/stream.h"

struct zip;

namespace xunda {

class ZipArchive {
  public:
    // Most bytes the members of one file may inflate to, together (re-reads included): 16 MiB
    // plus 64 times the packed file. Real parts inflate 5 to 20 times; a zip bomb, up to a
    // thousand. The members are read as streams, so this bounds the time a file takes, not the
    // memory: what a workbook makes is bounded by its cells and texts (workbook_cells.h).
    static std::int64_t InflateBudget(std::uintmax_t fileSize);

    // Most bytes a member may hold between one "<" and the next (a window more is noticed late):
    // the XML reader gathers a text, a tag or a comment whole, and a cell or a paragraph is far
    // shorter. A run of blanks or text past it would cost memory, not only time.
    static constexpr std::int64_t kLongestRun = 16 << 20;

    // Throws std::runtime_error when the file is no readable ZIP container.
    explicit ZipArchive(const std::filesystem::path& file);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool Has(const std::string& member) const;
    // A forward stream over the inflated member (short backward seeks are served from the last
    // bytes read). Throws std::runtime_error for a missing member, one larger than what the file
    // may still inflate to, and (while it is read) when the file's inflate budget runs out or a
    // run passes kLongestRun.
    std::unique_ptr<Stream> Open(const std::string& member) const;

  private:
    zip* archive_ = nullptr;
    std::shared_ptr<std::int64_t> budget_;  // bytes the members may still inflate to
};

}  // namespace xunda
