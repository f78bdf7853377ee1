// An XML document: a container node whose children are the top-level nodes, the settings every
// node consults, and loading and saving through the buffered codec streams.
//
// Typical reading:
//     XmlDocument doc;
//     doc.Utf8Strings = true;          // node texts in UTF-8 whatever the source's encoding
//     doc.LoadFromStream(body);        // EStreamError / EFilerError on a bad body
//     XmlNodeList rows;
//     doc.GetRoot()->NodesByName("row", &rows);
//     for (XmlNode* row : rows) ... row->GetAttributeName(i), row->GetAttributeValue(i)
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/stream.h"
#include "xml/codec_stream.h"
#include "xml/node.h"

namespace xunda {

enum XmlLayout : std::uint8_t {
    xlReadableCrLf = 0,  // CR LF line breaks, IndentText once per level
    xlCompact = 1,       // no breaks or indentation inside elements
    xlReadableLf = 2,    // LF line breaks, no indentation
};

enum XmlBinaryFormat : std::uint8_t {
    xbfHex = 0,
    xbfBase64 = 1,
};

class XmlDocument {
  public:
    XmlDocument();
    // With a root element of that name (raises as XmlNode::SetName).
    explicit XmlDocument(std::string_view rootName);
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // --- settings (SetDefaults gives the values shown) ---
    bool StopParse = false;  // a handler sets it to end a running parse
    XmlBinaryFormat BinaryFormat = xbfBase64;
    XmlCodecStream* Codec = nullptr;  // only while a load or save runs
    bool DropComments = false;
    XmlEncoding StreamEncoding = xe8Bit;  // found by the last load; written by a save
    bool FloatExponent = true;
    int FloatDigits = 6;
    bool StrictParse = false;  // extra structure checks after a parse, root check before a write
    std::string IndentText = "  ";
    bool FullEndTags = false;
    bool Utf8Strings = false;  // node texts hold UTF-8, else text of the system code page (GBK)
    bool WriteDefaults = true;
    XmlLayout Layout = xlCompact;
    bool SortedAttributes = false;

    // --- events ---
    std::function<void(XmlDocument&, XmlNode&)> OnNodeCreated;
    std::function<void(XmlDocument&, XmlNode&)> OnNodeCompleted;
    std::function<void(XmlDocument&, std::int64_t position)> OnStreamProgress;
    // A character had no form in the document's text and became "?" (reported once per load or save).
    std::function<void(XmlDocument&)> OnCharLoss;

    XmlNode& TopNodes() { return *topNodes_; }
    const XmlNode& TopNodes() const { return *topNodes_; }

    void SetDefaults();
    // Defaults, then a declaration (version 1.0, encoding windows-1252) and an unnamed root element.
    void Clear();
    // The first top-level element, or nullptr.
    XmlNode* GetRoot() const;
    bool IsEmpty() const;
    // The encoding attribute of a declaration that is the first top-level node, else empty.
    std::string GetEncodingString() const;
    std::string GetLineFeed() const { return Layout == xlReadableCrLf ? "\r\n" : "\n"; }

    // Detects the encoding and reads the whole document (through a 64 KB buffer and the codec).
    void LoadFromStream(Stream& source);
    void LoadFromFile(const std::filesystem::path& file);
    // Parses a text in the document's inner form: no buffer, no codec, no detection.
    void ReadFromString(std::string_view text);
    // Parses 8-bit characters from the stream.
    void ReadFromStream(Stream& stream);
    // Reads the rest of a DOCTYPE (name, value, internal subset) into the node.
    void ParseDTD(XmlNode& node, Stream& stream);

    // Writes in StreamEncoding, byte-order mark first where it has one; the declaration written
    // names that encoding where its own name does not fit it.
    void SaveToStream(Stream& target);
    // As the stream, through the file writer: the file is replaced whole (or stays as it was), 0600.
    void SaveToFile(const std::filesystem::path& file);
    // Writes the inner form: no codec, no mark.
    void WriteToStream(Stream& stream);
    std::string WriteToString();

    // Settings (not the float ones) and a deep copy of the tree.
    void Assign(const XmlDocument& source);
    // The node's children become the top-level nodes.
    void Assign(const XmlNode& source);
    void CopyFrom(const XmlDocument* source) {
        if (source) Assign(*source);
    }

    // True while a parse reads into the document (its handlers run then).
    bool IsParsing() const { return !reading_.empty(); }
    // True for a node a parse is reading now: the node whose handler runs and its ancestors. The
    // parser still holds these; finished nodes (their children, earlier siblings) may go.
    bool IsBeingRead(const XmlNode& node) const;

    // The deepest element nesting a parse accepts; deeper raises EFilerError.
    static constexpr int kMaxNesting = 256;

  private:
    friend class NodeParser;

    // The top-level nodes up to the end of the stream; false when a handler stopped the parse.
    bool ReadTopNodes(Stream& stream);
    // A declaration of UTF-8 switches the codec of an 8-bit source to UTF-8.
    void FollowDeclaredEncoding(const XmlNode& declaration);
    // The structure checks after a parse: a root element always, the rest under StrictParse.
    void CheckTopNodes() const;
    // WriteToStream with `first`, when given, in place of the first top-level node.
    void WriteNodes(Stream& stream, const XmlNode* first);

    std::unique_ptr<XmlNode> topNodes_;
    std::vector<const XmlNode*> reading_;  // outermost first
};

}  // namespace xunda
