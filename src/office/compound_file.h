// One stream of an OLE2 compound file (the container of .xls and .doc files), read from the file's
// bytes without trusting any size the file declares: every sector it names must lie inside it,
// and no chain may loop.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace xunda {

// The little-endian number at `at` of `bytes`; throws std::runtime_error past their end.
std::uint16_t U16(std::string_view bytes, std::size_t at);
std::uint32_t U32(std::string_view bytes, std::size_t at);

// The bytes of the first stream whose name is one of `names` (ASCII, any case); nullopt when the
// bytes are no readable compound file or hold no such stream.
std::optional<std::string> ReadCompoundStream(std::string_view file,
                                              std::initializer_list<std::string_view> names);

}  // namespace xunda
