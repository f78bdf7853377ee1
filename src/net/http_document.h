// The HTTP client reaches its Document only through these few operations, so the store behind
// it can be the core memory stream.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xunda {

using HttpDocument = std::string;

inline void DocumentClear(HttpDocument& document) { document.clear(); }
inline std::int64_t DocumentSize(const HttpDocument& document) { return static_cast<std::int64_t>(document.size()); }
inline void DocumentAppend(HttpDocument& document, std::string_view bytes) { document.append(bytes); }
inline std::string_view DocumentBytes(const HttpDocument& document) { return document; }
inline void DocumentRewind(HttpDocument&) {}

}  // namespace xunda
