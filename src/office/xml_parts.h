// Small helpers for the XML parts of Office packages, read with the project's XML model.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "xml/document.h"

namespace xunda {

class ZipArchive;

// A node's name without its namespace prefix ("w:p" -> "p").
std::string_view LocalName(const XmlNode& node);
// The value of the first attribute whose name without prefix is `local`, or empty.
std::string LocalAttribute(const XmlNode& node, std::string_view local);
// Reads a member of the package, calling `completed` for every element the moment its end tag
// has been read. Then the element's children and the siblings before it are freed, so that a part
// of any size keeps only the elements being read, unless the element lies inside one named in
// `keptInside` (whose handler reads the whole of it when it ends). Texts in UTF-8.
void StreamPart(const ZipArchive& zip, const std::string& member, XmlDocument& doc,
                std::initializer_list<std::string_view> keptInside,
                const std::function<void(XmlNode&)>& completed);
// Appends the texts of a run container in document order: "t" (and tracked deleted "delText")
// elements' texts, a tab for "tab",
// a line break for "br" and "cr"; phonetic runs ("rPh") are left out.
void AppendRunTexts(const XmlNode& node, std::string& out);

}  // namespace xunda
