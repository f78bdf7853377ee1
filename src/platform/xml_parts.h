// Small helpers for the XML parts of Office packages, read with the project's XML model.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "xml/document.h"

namespace xunda {

class ZipArchive;

// A node's name without its namespace prefix ("w:p" -> "p").
std::string_view LocalName(const XmlNode& node);
// The value of the first attribute whose name without prefix is `local`, or empty.
std::string LocalAttribute(const XmlNode& node, std::string_view local);
// Largest part read whole (its tree takes many times its bytes); larger ones are streamed.
inline constexpr std::int64_t kMaxLoadedPartBytes = 8 << 20;
// Reads a member of the package whole, texts in UTF-8.
void LoadPart(const ZipArchive& zip, const std::string& member, XmlDocument& doc);
// Reads a member of the package, calling `completed` for every element the moment its end tag
// has been read; the handler may drop the element's children. Texts in UTF-8.
void StreamPart(const ZipArchive& zip, const std::string& member, XmlDocument& doc,
                const std::function<void(XmlNode&)>& completed);
// Frees a finished element's children and the siblings before it, so that a streamed part keeps
// only the element being read.
void DropFinished(XmlNode& node);
// Appends the texts of a run container in document order: "t" (and tracked deleted "delText")
// elements' texts, a tab for "tab",
// a line break for "br" and "cr"; phonetic runs ("rPh") are left out.
void AppendRunTexts(const XmlNode& node, std::string& out);

}  // namespace xunda
