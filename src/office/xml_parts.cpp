#include "office/xml_parts.h"

#include <memory>

#include "office/zip_archive.h"

namespace xunda {

std::string_view LocalName(const XmlNode& node) {
    std::string_view name = node.Name();
    const std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string LocalAttribute(const XmlNode& node, std::string_view local) {
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
        const std::string_view name = node.GetAttributeName(i);
        const std::size_t colon = name.rfind(':');
        if (name.substr(colon == std::string_view::npos ? 0 : colon + 1) == local)
            return node.GetAttributeValue(i);
    }
    return {};
}

namespace {

// Frees a finished element's children and the siblings before it.
void DropFinished(XmlNode& node) {
    node.NodesClear();
    if (XmlNode* parent = node.Parent())
        while (parent->GetNodeCount() > 1 && parent->GetNodes(0) != &node) parent->NodeDelete(0);
}

bool Inside(const XmlNode& node, std::initializer_list<std::string_view> names) {
    for (const XmlNode* up = node.Parent(); up; up = up->Parent())
        for (std::string_view name : names)
            if (LocalName(*up) == name) return true;
    return false;
}

}  // namespace

void StreamPart(const ZipArchive& zip, const std::string& member, XmlDocument& doc,
                std::initializer_list<std::string_view> keptInside,
                const std::function<void(XmlNode&)>& completed) {
    std::unique_ptr<Stream> stream = zip.Open(member);
    doc.Utf8Strings = true;
    // The parts are UTF-8 also without a declaration saying so.
    doc.OnNodeCreated = [](XmlDocument& d, XmlNode&) {
        if (d.Codec && d.Codec->Encoding() == xe8Bit) d.Codec->SetEncoding(xeUtf8);
    };
    doc.OnNodeCompleted = [&](XmlDocument&, XmlNode& node) {
        completed(node);
        if (!Inside(node, keptInside)) DropFinished(node);
    };
    doc.LoadFromStream(*stream);
    doc.OnNodeCompleted = nullptr;
}

void AppendRunTexts(const XmlNode& node, std::string& out) {
    for (int i = 0; i < node.GetNodeCount(); ++i) {
        const XmlNode& child = *node.GetNodes(i);
        const std::string_view name = LocalName(child);
        if (name == "t" || name == "delText")
            out += child.GetValueAsString();
        else if (name == "tab")
            out += '\t';
        else if (name == "br" || name == "cr")
            out += '\n';
        else if (name != "rPh" && name != "instrText")
            AppendRunTexts(child, out);
    }
}

}  // namespace xunda
