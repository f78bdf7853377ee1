// Writing a node as XML text, and the node's string forms.
#include "core/exceptions.h"
#include "xml/document.h"
#include "xml/node.h"
#include "xml/node_parser.h"

namespace xunda {
namespace {

std::string Declaration(std::string_view keyword, const XmlNode& node) {
    return "<!" + std::string(keyword) + " " + node.Name() + " " + node.Value() + ">";
}

}  // namespace

std::string XmlNode::TagAttributesText() const {
    std::string text;
    for (std::size_t i = 0; i < attributes_.size(); ++i) {
        std::string_view line = attributes_[i];
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view value = line.substr(eq + 1);
        std::string unquoted = UnQuoteString(value);
        if (unquoted.empty()) continue;
        text += ' ';
        // A value parsed without its quotes, or with text after the closing one, is written as it reads.
        bool quoted = value.size() >= 2 && IsXmlQuote(value[0]) && value.back() == value[0];
        text += quoted ? line : std::string(line.substr(0, eq + 1)) + QuoteString(unquoted);
    }
    if (WritesAsEmptyTag()) text += '/';
    return text;
}

void XmlNode::WriteToStream(Stream& stream) const {
    WriteTo(stream, false);
}

void XmlNode::WriteTo(Stream& stream, bool inMixedContent) const {
    std::string indent = inMixedContent ? std::string() : GetIndent();
    std::string lineFeed = GetLineFeed();
    std::string text;
    switch (kind_) {
        case xnkElement: {
            // Breaks and indentation between the children of an element that holds text would
            // become part of that text when it is read again: such an element runs on.
            bool mixed = !value_.empty() || NodeByElementType(xnkCharData) != nullptr;
            std::string between = mixed ? std::string() : lineFeed;
            text = indent + "<" + name_ + TagAttributesText() + ">" + value_;
            if (!nodes_.empty()) text += between;
            WriteStringToStream(stream, text);
            for (const auto& child : nodes_) {
                child->WriteTo(stream, mixed);
                WriteStringToStream(stream, between);
            }
            text.clear();
            if (!WritesAsEmptyTag()) text = (nodes_.empty() || mixed ? "" : GetIndent()) + "</" + name_ + ">";
            break;
        }
        case xnkComment:
            text = indent + "<!--" + value_ + "-->";
            break;
        case xnkCData:
            text = indent + "<![CDATA[" + value_ + "]]>";
            break;
        case xnkDeclaration:
            text = indent + "<?xml" + TagAttributesText() + "?>";
            break;
        case xnkStylesheet:
            text = indent + "<?xml-stylesheet" + TagAttributesText() + "?>";
            break;
        case xnkDoctype:
            if (nodes_.empty()) {
                text = indent + Declaration("DOCTYPE", *this);
            } else {
                WriteStringToStream(stream, indent + "<!DOCTYPE " + name_ + " " + value_ + " [" + lineFeed);
                for (const auto& child : nodes_) {
                    child->WriteToStream(stream);
                    WriteStringToStream(stream, lineFeed);
                }
                text = "]>";
            }
            break;
        case xnkDtdElement:
            text = indent + Declaration("ELEMENT", *this);
            break;
        case xnkDtdAttList:
            text = indent + Declaration("ATTLIST", *this);
            break;
        case xnkDtdEntity:
            text = indent + Declaration("ENTITY", *this);
            break;
        case xnkDtdNotation:
            text = indent + Declaration("NOTATION", *this);
            break;
        case xnkOtherDeclaration:
            text = indent + "<!" + value_ + ">";
            break;
        case xnkInstruction:
            text = indent + "<?" + value_ + "?>";
            break;
        case xnkCharData:
            text = value_;
            break;
        case xnkUnknown:
            text = indent + "<" + value_ + ">";
            break;
        default:
            throw EFilerError("Illegal element type");
    }
    WriteStringToStream(stream, text);
    if (document_ && document_->OnStreamProgress) document_->OnStreamProgress(*document_, stream.Position());
}

std::string XmlNode::WriteToString() const {
    XmlStringStream stream;
    WriteToStream(stream);
    return stream.DataString();
}

void XmlNode::ReadFromStream(Stream& stream) {
    NodeParser(stream).ReadNode(*this, 0);
}

void XmlNode::ReadFromString(std::string_view text) {
    XmlStringStream stream(text);
    ReadFromStream(stream);
}

}  // namespace xunda
