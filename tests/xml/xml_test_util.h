// Helpers of the XML tests: bodies as memory streams, loading them, and the messages of failures.
#pragma once

#include <functional>
#include <string>

#include "core/codepage.h"
#include "core/exceptions.h"
#include "xml/document.h"

namespace xunda::test {

inline void SetBytes(MemoryStream& stream, std::string_view bytes) {
    stream.Clear();
    stream.Write(bytes.data(), bytes.size());
    stream.SetPosition(0);
}

inline void LoadBytes(XmlDocument& doc, std::string_view bytes) {
    MemoryStream body;
    SetBytes(body, bytes);
    doc.LoadFromStream(body);
}

// The message of the exception of kind E that the action raises, or "" when it raises none.
template <typename E>
std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const E& e) {
        return e.what();
    }
    return "";
}

inline std::string FilerErrorOf(std::string_view bytes) {
    XmlDocument doc;
    return ErrorOf<EFilerError>([&] { LoadBytes(doc, bytes); });
}

// The UTF-16 bytes of a UTF-8 text, with or without a byte-order mark.
inline std::string Utf16(std::string_view utf8, bool bigEndian, bool bom) {
    std::string out = !bom ? "" : bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : Utf8ToUtf16(utf8))
        out += bigEndian ? std::string{char(u >> 8), char(u)} : std::string{char(u), char(u >> 8)};
    return out;
}

}  // namespace xunda::test
