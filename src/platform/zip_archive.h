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
    // Largest member the readers inflate.
    static constexpr std::int64_t kMaxMemberBytes = std::int64_t{256} << 20;

    // Throws std::runtime_error when the file is no readable ZIP container.
    explicit ZipArchive(const std::filesystem::path& file);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool Has(const std::string& member) const;
    // A forward stream over the inflated member (short backward seeks are served from the last
    // bytes read). Throws std::runtime_error for a missing member or one larger than the limit.
    std::unique_ptr<Stream> Open(const std::string& member) const;

private:
    zip* archive_ = nullptr;
};

}  // namespace xunda
