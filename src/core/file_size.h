// The size of a file by its name.
#pragma once

#include <cstdint>
#include <filesystem>

namespace xunda {

// The size in bytes of the file; 0 when it does not exist. A file that exists but cannot be opened
// for reading (or is a folder) throws std::system_error with the reason.
std::int64_t GetFileSizeByName(const std::filesystem::path& fileName);

}  // namespace xunda
