#include "xml/document.h"

#include <algorithm>

#include "core/exceptions.h"
#include "xml/buffered_stream.h"
#include "xml/node_parser.h"

namespace xunda {

namespace {

// The encoding name a declaration gets for the bytes a save writes, or empty when its own name fits.
std::string EncodingNameFor(XmlEncoding encoding, std::string_view declared) {
    auto fits = [&](std::string_view name) { return SameName(declared, name, true); };
    switch (encoding) {
        case xeUtf8:
            return fits("UTF-8") ? "" : "UTF-8";
        case xeUtf16Le:
        case xeUtf16Be:
            return fits("UTF-16") ? "" : "UTF-16";
        case xe16BitLe:
            return fits("UTF-16LE") ? "" : "UTF-16LE";
        case xe16BitBe:
            return fits("UTF-16BE") ? "" : "UTF-16BE";
        default:  // 8-bit: the inner form's bytes, GBK
            for (std::string_view name : {"GBK", "CP936", "MS936", "windows-936"})
                if (fits(name)) return "";
            return "GBK";
    }
}

}  // namespace

XmlDocument::XmlDocument() : topNodes_(std::make_unique<XmlNode>(this)) {
    Clear();
}

XmlDocument::XmlDocument(std::string_view rootName) : XmlDocument() {
    GetRoot()->SetName(rootName);
}

XmlDocument::~XmlDocument() = default;

void XmlDocument::SetDefaults() {
    BinaryFormat = xbfBase64;
    DropComments = false;
    StreamEncoding = xe8Bit;
    FloatExponent = true;
    FloatDigits = 6;
    IndentText = "  ";
    FullEndTags = false;
    Utf8Strings = false;
    WriteDefaults = true;
    Layout = xlCompact;
    SortedAttributes = false;
}

void XmlDocument::Clear() {
    // A parse holds its top-level node: refused before anything changes.
    if (IsParsing()) throw Exception("Nodes cannot be removed while the document is being parsed");
    SetDefaults();
    topNodes_->Clear();
    auto declaration = XmlNode::CreateType(this, xnkDeclaration);
    declaration->SetName("xml");
    declaration->AttributeAdd("version", "1.0");
    declaration->AttributeAdd("encoding", "windows-1252");
    topNodes_->NodeAdd(std::move(declaration));
    topNodes_->NodeNew("");
}

XmlNode* XmlDocument::GetRoot() const {
    return topNodes_->NodeByElementType(xnkElement);
}

bool XmlDocument::IsBeingRead(const XmlNode& node) const {
    return std::find(reading_.begin(), reading_.end(), &node) != reading_.end();
}

bool XmlDocument::IsEmpty() const {
    XmlNode* root = GetRoot();
    return !root || root->IsClear();
}

std::string XmlDocument::GetEncodingString() const {
    XmlNode* first = topNodes_->GetNodes(0);
    if (!first || first->ElementType() != xnkDeclaration) return {};
    return first->AttributeByName("encoding");
}

void XmlDocument::LoadFromStream(Stream& source) {
    XmlBufferedReadStream buffered(source);
    std::unique_ptr<XmlCodecStream> codec;
    if (Utf8Strings)
        codec = std::make_unique<XmlUtf8Stream>(&buffered);
    else
        codec = std::make_unique<XmlAnsiStream>(&buffered);
    codec->OnLoss = [this](XmlCodecStream&) {
        if (OnCharLoss) OnCharLoss(*this);
    };
    Codec = codec.get();
    try {
        ReadFromStream(*codec);
    } catch (...) {
        Codec = nullptr;
        throw;
    }
    Codec = nullptr;
    StreamEncoding = codec->Encoding();
    if (StreamEncoding == xeUtf8) Utf8Strings = true;
}

void XmlDocument::LoadFromFile(const std::filesystem::path& file) {
    FileStream stream(file);
    LoadFromStream(stream);
}

void XmlDocument::ReadFromString(std::string_view text) {
    XmlStringStream stream(text);
    ReadFromStream(stream);
}

void XmlDocument::ReadFromStream(Stream& stream) {
    StopParse = false;
    topNodes_->Clear();
    if (OnStreamProgress) OnStreamProgress(*this, 0);
    if (!ReadTopNodes(stream)) return;
    if (OnStreamProgress) OnStreamProgress(*this, stream.Size());
    CheckTopNodes();
}

bool XmlDocument::ReadTopNodes(Stream& stream) {
    NodeParser parser(stream);
    // A stream that stops giving characters before its end must not hold the loop; a character
    // delivered in several bytes leaves the position alone for at most three rounds.
    constexpr int kMaxStalls = 4;
    std::int64_t previous = -1;
    for (int stalls = 0;;) {
        XmlNode* node = topNodes_->NodeNew("");
        parser.ReadNode(*node, 0);
        if (StopParse) return false;
        if (node->ElementType() == xnkDeclaration) FollowDeclaredEncoding(*node);
        if (node->IsClear()) topNodes_->NodeDelete(topNodes_->GetNodeCount() - 1);
        const std::int64_t position = stream.Position();
        stalls = position == previous ? stalls + 1 : 0;
        if (position >= stream.Size() || stalls == kMaxStalls) return true;
        previous = position;
    }
}

void XmlDocument::FollowDeclaredEncoding(const XmlNode& declaration) {
    // A UTF-8 declaration switches an 8-bit reading to UTF-8 from here on; a source detected by
    // its byte-order mark or as UTF-16 keeps its encoding.
    if (Codec && Codec->Encoding() == xe8Bit && declaration.HasAttribute("encoding") &&
        SameName(declaration.AttributeByName("encoding"), "UTF-8", true))
        Codec->SetEncoding(xeUtf8);
}

namespace {

// The kinds of top-level nodes the structure checks count, with where the last of each stands.
struct TopNodeCounts {
    int elements = 0, declarations = 0, doctypes = 0, cdata = 0;
    int lastElement = -1, lastDeclaration = -1, lastDoctype = -1;

    explicit TopNodeCounts(const XmlNode& top) {
        for (int i = 0; i < top.GetNodeCount(); ++i) Count(top.GetNodes(i)->ElementType(), i);
    }
    void Count(XmlNodeKind kind, int index) {
        switch (kind) {
            case xnkElement:
                ++elements;
                lastElement = index;
                break;
            case xnkDeclaration:
                ++declarations;
                lastDeclaration = index;
                break;
            case xnkDoctype:
                ++doctypes;
                lastDoctype = index;
                break;
            case xnkCData:
                ++cdata;
                break;
            default:
                break;
        }
    }
};

}  // namespace

void XmlDocument::CheckTopNodes() const {
    const TopNodeCounts n(*topNodes_);
    if (n.elements == 0) throw EFilerError("No root element found in xml");
    if (!StrictParse) return;
    if (n.elements > 1) throw EFilerError("More than one root element found in xml");
    if (n.declarations > 1) throw EFilerError("More than one xml declaration found in xml");
    if (n.declarations == 1 && n.lastDeclaration != 0)
        throw EFilerError("Xml declaration must be first element");
    if (n.doctypes > 1) throw EFilerError("More than one doctype declaration found in root");
    if (n.doctypes == 1 && n.lastDoctype > n.lastElement)
        throw EFilerError("Doctype declaration found after root element");
    if (n.cdata > 0) throw EFilerError("No CDATA allowed in root");
}

void XmlDocument::ParseDTD(XmlNode& node, Stream& stream) {
    NodeParser(stream).ReadDtd(node, 0);
}

void XmlDocument::SaveToStream(Stream& target) {
    XmlBufferedWriteStream buffered(target);
    std::unique_ptr<XmlCodecStream> codec;
    if (Utf8Strings)
        codec = std::make_unique<XmlUtf8Stream>(&buffered);
    else
        codec = std::make_unique<XmlAnsiStream>(&buffered);
    codec->SetEncoding(StreamEncoding);
    codec->OnLoss = [this](XmlCodecStream&) {
        if (OnCharLoss) OnCharLoss(*this);
    };
    Codec = codec.get();
    try {
        codec->BeginWrite();  // so that a document without nodes still saves (its mark alone)
        // The declaration written names the encoding of the bytes; the document's own stays.
        std::unique_ptr<XmlNode> declaration;
        XmlNode* first = topNodes_->GetNodes(0);
        if (first && first->ElementType() == xnkDeclaration && first->HasAttribute("encoding")) {
            std::string name = EncodingNameFor(StreamEncoding, first->AttributeByName("encoding"));
            if (!name.empty()) {
                declaration = XmlNode::Create(this);
                declaration->Assign(*first);
                declaration->SetAttributeValue(declaration->AttributeIndexByName("encoding"), name);
            }
        }
        WriteNodes(*codec, declaration.get());
        buffered.Flush();
    } catch (...) {
        Codec = nullptr;
        throw;
    }
    Codec = nullptr;
}

void XmlDocument::SaveToFile(const std::filesystem::path& file) {
    MemoryStream bytes;
    SaveToStream(bytes);
    bytes.SaveToFile(file);
}

void XmlDocument::WriteToStream(Stream& stream) {
    WriteNodes(stream, nullptr);
}

void XmlDocument::WriteNodes(Stream& stream, const XmlNode* first) {
    if (!GetRoot() && StrictParse) throw EFilerError("XML root element not defined.");
    if (OnStreamProgress) OnStreamProgress(*this, 0);
    std::string lineFeed = GetLineFeed();
    for (int i = 0; i < topNodes_->GetNodeCount(); ++i) {
        (i == 0 && first ? first : topNodes_->GetNodes(i))->WriteToStream(stream);
        WriteStringToStream(stream, lineFeed);
    }
    if (OnStreamProgress) OnStreamProgress(*this, stream.Size());
}

std::string XmlDocument::WriteToString() {
    XmlStringStream stream;
    WriteToStream(stream);
    return stream.DataString();
}

void XmlDocument::Assign(const XmlDocument& source) {
    if (&source == this) return;
    BinaryFormat = source.BinaryFormat;
    DropComments = source.DropComments;
    StreamEncoding = source.StreamEncoding;
    StrictParse = source.StrictParse;
    IndentText = source.IndentText;
    FullEndTags = source.FullEndTags;
    Utf8Strings = source.Utf8Strings;
    WriteDefaults = source.WriteDefaults;
    Layout = source.Layout;
    SortedAttributes = source.SortedAttributes;
    Assign(source.TopNodes());
}

void XmlDocument::Assign(const XmlNode& source) {
    topNodes_->Assign(source);
    SetDocumentRecursive(*topNodes_, this);
}

}  // namespace xunda
