// Helpers of the XML tests: bodies as memory streams and loading them.
#pragma once

#include "core/exceptions.h"
#include "core/stream.h"
#include "xml/document.h"

#include <string>
#include <string_view>

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

// The message of the EFilerError that loading the bytes raises, or "" when it loads.
inline std::string FilerErrorOf(std::string_view bytes) {
    XmlDocument doc;
    try {
        LoadBytes(doc, bytes);
    } catch (const EFilerError& e) {
        return e.what();
    }
    return "";
}

}  // namespace xunda::test
