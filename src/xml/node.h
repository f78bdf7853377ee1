// One node of an XML document held in memory, with its attributes and children.
//
// Value and attribute values are held escaped (entities as written); the readers unescape them.
// An attribute is one line: the name, "=", then the value with its quotes as added or parsed.
// Names compare ignoring the case of ASCII letters (see CompareNames). A node reads the settings of its
// Document; without one it uses the defaults (no line breaks or indentation, hex byte blocks, 8-bit text).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/stream.h"
#include "xml/attribute_lines.h"
#include "xml/child_list.h"
#include "xml/node_pool.h"
#include "xml/text.h"

namespace xunda {

class XmlDocument;
class XmlNode;
class NodeParser;

enum XmlNodeKind : std::uint8_t {
    xnkElement = 0,
    xnkComment = 1,
    xnkCData = 2,
    xnkDeclaration = 3,
    xnkStylesheet = 4,
    xnkDoctype = 5,
    xnkDtdElement = 6,
    xnkDtdAttList = 7,
    xnkDtdEntity = 8,
    xnkDtdNotation = 9,
    xnkOtherDeclaration = 10,
    xnkInstruction = 11,
    xnkCharData = 12,
    xnkUnknown = 13,
};

// Orders two texts of the inner form (UTF-8 when utf8, else GBK) ignoring the case of the ASCII
// letters that start a character: the byte after a GBK lead byte belongs to that character and
// compares as it is. Negative, 0 or positive.
int CompareNames(std::string_view a, std::string_view b, bool utf8);
inline bool SameName(std::string_view a, std::string_view b, bool utf8) {
    if (a.size() != b.size()) return false;
    std::size_t same = 0;  // names are short: a plain loop over the bytes that agree as they are
    while (same < a.size() && a[same] == b[same]) ++same;
    return same == a.size() || CompareNames(a, b, utf8) == 0;
}

// Node references found by a search; the nodes stay their parent's.
class XmlNodeList {
  public:
    int Count() const { return static_cast<int>(items_.size()); }
    // EListError "List index out of bounds (<index>)" outside 0..Count-1.
    XmlNode* GetItems(int index) const;
    void Add(XmlNode* node) { items_.push_back(node); }
    void Clear() { items_.clear(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    std::vector<XmlNode*> items_;
};

// Drawing settings stored by the typed brush, pen and font readers and writers.
struct XmlBrush {
    std::int32_t Color = 0xFFFFFF;
    int Style = 0;
};
struct XmlPen {
    std::int32_t Color = 0;
    int Mode = 4;
    int Style = 0;
    int Width = 1;
};
struct XmlFont {
    std::string Name = "Arial";
    std::int32_t Color = 0;
    int Size = 14;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
};

class XmlNode {
  public:
    explicit XmlNode(XmlDocument* document = nullptr);
    static std::unique_ptr<XmlNode> Create(XmlDocument* document);
    // Raises as SetName.
    static std::unique_ptr<XmlNode> CreateName(XmlDocument* document, std::string_view name);
    static std::unique_ptr<XmlNode> CreateNameValue(XmlDocument* document, std::string_view name,
                                                    std::string_view value);
    static std::unique_ptr<XmlNode> CreateType(XmlDocument* document, XmlNodeKind kind);
    ~XmlNode();
    static void* operator new(std::size_t size) { return node_pool::Allocate(size); }
    static void operator delete(void* node, std::size_t size) { node_pool::Free(node, size); }
    XmlNode(const XmlNode&) = delete;
    XmlNode& operator=(const XmlNode&) = delete;

    // --- fields ---
    XmlDocument* Document() const { return document_; }
    void SetDocument(XmlDocument* document) { document_ = document; }
    XmlNodeKind ElementType() const { return kind_; }
    void SetElementType(XmlNodeKind kind) { kind_ = kind; }
    const std::string& Name() const { return name_; }
    // Exception "Illegal character in node name "<name>"" for a tab, line feed, carriage return or blank.
    void SetName(std::string_view name);
    // The raw value (escaped).
    const std::string& Value() const { return value_; }
    void SetValue(std::string value) { value_ = std::move(value); }
    XmlNode* Parent() const { return parent_; }
    std::int32_t Tag() const { return tag_; }
    void SetTag(std::int32_t tag) { tag_ = tag; }
    // The attribute lines in order.
    std::vector<std::string> Attributes() const;

    // --- whole node ---
    // Empties name, value, attributes and children; kind and tag stay.
    void Clear();
    // Frees this node through its parent; without a parent nothing happens. `this` is gone afterwards.
    void Delete();
    // A deep copy of the source (kind, name, tag, value, attributes, children) under this node's
    // document; a source above or below this node is copied as it was before.
    void Assign(const XmlNode& source);
    // A deep copy of the document's container node.
    void Assign(const XmlDocument& source);

    // --- attributes (indexes from 0; out of range gives empty text, -1 or nothing) ---
    // Appends name="value" (escaped, quoted); an attribute of that name is not looked for.
    void AttributeAdd(std::string_view name, std::string_view value);
    void AttributesClear();
    int GetAttributeCount() const { return static_cast<int>(attributes_.size()); }
    // A view of the stored line: it lasts while the node's attributes stay as they are.
    std::string_view GetAttributeName(int index) const;
    std::string GetAttributePair(int index) const;
    // Unquoted and unescaped.
    std::string GetAttributeValue(int index) const;
    void SetAttributeValue(int index, std::string_view value);
    std::string AttributeByName(std::string_view name) const;
    int AttributeIndexByName(std::string_view name) const;
    bool HasAttribute(std::string_view name) const { return AttributeIndexByName(name) >= 0; }

    // --- children (indexes from 0) ---
    int GetNodeCount() const { return static_cast<int>(nodes_.size()); }
    XmlNode* GetNodes(int index) const;
    // Appends; -1 for no node.
    int NodeAdd(std::unique_ptr<XmlNode> node);
    // Inserts at 0..count and returns the node; otherwise returns nullptr and `node` stays the caller's.
    XmlNode* NodeInsert(int index, std::unique_ptr<XmlNode>& node);
    XmlNode* NodeNew(std::string_view name);
    XmlNode* NodeNewAtIndex(int index, std::string_view name);
    // NodeDelete, NodeRemove, NodeExtract and NodesClear (so Delete, Clear and Assign too) raise
    // Exception while the document parses: the parser holds the nodes it reads.
    void NodeDelete(int index);
    // Takes a child out without freeing it; it stands alone then (no Parent, no Document, so the
    // defaults of a node without a document). nullptr when it is not a child.
    std::unique_ptr<XmlNode> NodeExtract(XmlNode* node);
    // Frees the child and returns its former index, or -1.
    int NodeRemove(XmlNode* node);
    int NodeIndexOf(const XmlNode* node) const;
    XmlNode* NodeByName(std::string_view name) const;
    XmlNode* NodeByElementType(XmlNodeKind kind) const;
    int NodeIndexByName(std::string_view name) const { return NodeIndexByNameFrom(name, 0); }
    // A negative start searches from 0.
    int NodeIndexByNameFrom(std::string_view name, int start) const;
    XmlNode* NodeFindOrCreate(std::string_view name);
    // Empties the list, then adds every direct child of that name in order; nothing without a list.
    void NodesByName(std::string_view name, XmlNodeList* list) const;
    void NodesClear();

    // --- queries ---
    bool IsEmpty() const { return value_.empty() && nodes_.empty() && attributes_.empty(); }
    bool IsClear() const { return name_.empty() && IsEmpty(); }
    // -1 without a parent (the document's container), top-level nodes 0.
    int GetTreeDepth() const;
    bool WritesAsEmptyTag() const;
    std::string GetLineFeed() const;
    std::string GetIndent() const;
    std::string GetValueAsString() const { return UnEscapeString(value_); }
    void SetValueAsString(std::string_view text) { value_ = EscapeString(text); }
    // The UTF-8 or the code-page variant, by the document's Utf8Strings.
    std::string UnEscapeString(std::string_view text) const;
    std::string FromWidestring(std::u16string_view text) const;
    std::u16string ToWidestring(std::string_view text) const;

    // --- byte blocks in Value, hex or Base64 by the document's BinaryFormat ---
    // EFilerError "Error while calculating streamlength" for a text of impossible length.
    std::size_t BufferLength() const;
    void BufferRead(void* buffer, std::size_t count) const;
    void BufferWrite(const void* buffer, std::size_t count);

    // --- stream and string forms ---
    // Reads this node and its subtree from the stream's position (see node_parser.cpp).
    void ReadFromStream(Stream& stream);
    void WriteToStream(Stream& stream) const;
    std::string TagAttributesText() const;
    std::string WriteToString() const;
    void ReadFromString(std::string_view text);

    // --- typed values in named children and attributes ---
    std::int32_t ReadAttributeInteger(std::string_view name, std::int32_t def) const;
    std::int64_t ReadAttributeInt64(std::string_view name, std::int64_t def) const;
    std::string ReadAttributeString(std::string_view name, std::string_view def) const;
    bool ReadBool(std::string_view name, bool def) const;
    // EConvertError for a child whose text is not an integer.
    std::int32_t ReadColor(std::string_view name, std::int32_t def) const;
    double ReadFloat(std::string_view name, double def) const;
    XmlDateTime ReadDateTime(std::string_view name, XmlDateTime def) const;
    std::int32_t ReadInteger(std::string_view name, std::int32_t def) const;
    std::int64_t ReadInt64(std::string_view name, std::int64_t def) const;
    std::string ReadString(std::string_view name, std::string_view def) const;
    std::u16string ReadWidestring(std::string_view name, std::u16string_view def) const;
    XmlBrush ReadBrush(std::string_view name) const;
    XmlPen ReadPen(std::string_view name) const;
    XmlFont ReadFont(std::string_view name) const;

    void WriteString(std::string_view name, std::string_view value, std::string_view def);
    void WriteInteger(std::string_view name, std::int32_t value, std::int32_t def);
    void WriteInt64(std::string_view name, std::int64_t value, std::int64_t def);
    void WriteFloat(std::string_view name, double value, double def);
    void WriteBool(std::string_view name, bool value, bool def);
    void WriteDateTime(std::string_view name, XmlDateTime value, XmlDateTime def);
    void WriteHex(std::string_view name, std::uint32_t value, int digits, std::uint32_t def);
    void WriteColor(std::string_view name, std::int32_t color, std::int32_t def);
    void WriteWidestring(std::string_view name, std::u16string_view value, std::u16string_view def);
    void WriteBrush(std::string_view name, const XmlBrush& brush);
    void WritePen(std::string_view name, const XmlPen& pen);
    void WriteFont(std::string_view name, const XmlFont& font);
    void WriteAttributeString(std::string_view name, std::string_view value, std::string_view def);
    void WriteAttributeInteger(std::string_view name, std::int32_t value, std::int32_t def);
    void WriteAttributeFloat(std::string_view name, double value, double def);

    // --- the node's own value with a default ---
    bool ValueAsBoolDef(bool def) const;
    // The default also when a decimal number does not fit 32 bits; hex text may fill all 32.
    std::int32_t ValueAsIntegerDef(std::int32_t def) const;
    std::int64_t ValueAsInt64Def(std::int64_t def) const;
    double ValueAsFloatDef(double def) const;
    XmlDateTime ValueAsDateTimeDef(XmlDateTime def) const;

  private:
    friend class NodeParser;

    // Inside an element that holds text a node is written without its indentation.
    void WriteTo(Stream& stream, bool inMixedContent) const;
    bool IsBelow(const XmlNode& node) const;
    // Raises while a parse is reading `child` (it still holds it).
    void CheckRemovable(const XmlNode& child) const;
    void CheckChildrenRemovable() const;
    void AddAttributeLine(std::string_view line);
    // The lines from `first` on replace the attributes (sorted when the document says so).
    void TakeAttributeLines(const XmlAttributeLines& lines, std::size_t first);
    bool SkipsDefault(bool isDefault) const;
    void WriteAttributeText(std::string_view name, std::string_view text);
    // Names compare in the document's inner form.
    bool Utf8Form() const;
    bool SameName(std::string_view a, std::string_view b) const { return xunda::SameName(a, b, Utf8Form()); }

    XmlAttributeLines attributes_;
    XmlDocument* document_;
    XmlNodeKind kind_ = xnkElement;
    std::int32_t tag_ = 0;
    std::string name_;
    XmlChildList nodes_;
    XmlNode* parent_ = nullptr;
    std::string value_;
};

// Sets Document of the node and of every node below it.
void SetDocumentRecursive(XmlNode& node, XmlDocument* document);

}  // namespace xunda
