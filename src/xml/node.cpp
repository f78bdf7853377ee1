// The node tree: construction, attributes, children, queries and byte blocks.
#include "xml/node.h"

#include <algorithm>

#include "core/codepage.h"
#include "core/exceptions.h"
#include "core/text_util.h"
#include "xml/document.h"

namespace xunda {
namespace {

// The "=" of an attribute line, or its end. A plain loop: the sign follows a short name, too near
// for a memchr call to pay off.
const char* EqualsSign(std::string_view line) {
    return std::find(line.data(), line.data() + line.size(), '=');
}

// The name and the value part of an attribute line; a line without "=" has neither.
std::string_view LineName(std::string_view line) {
    const char* eq = EqualsSign(line);
    return eq == line.data() + line.size() ? std::string_view() : std::string_view(line.data(), eq);
}
std::string_view LineValue(std::string_view line) {
    const char* eq = EqualsSign(line);
    return eq == line.data() + line.size() ? std::string_view()
                                           : std::string_view(eq + 1, line.data() + line.size());
}

// The value part of a line unquoted and unescaped, without the intermediate copy when no doubled
// quote has to be made single, and without the unescaping pass when no "&" occurs.
std::string LineValueText(const XmlNode& node, std::string_view line) {
    std::string_view raw = LineValue(line);
    if (raw.size() < 2 || !IsXmlQuote(raw[0])) return node.UnEscapeString(raw);
    const char quote = raw[0];
    const std::size_t close = std::min(raw.find(quote, 1), raw.size());
    if (close + 1 < raw.size() && raw[close + 1] == quote) return node.UnEscapeString(UnQuoteString(raw));
    std::string_view inner = raw.substr(1, close - 1);
    return inner.find('&') == std::string_view::npos ? std::string(inner) : node.UnEscapeString(inner);
}

}  // namespace

int CompareNames(std::string_view a, std::string_view b, bool utf8) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(ToLowerAscii(a[i]));
        unsigned char y = static_cast<unsigned char>(ToLowerAscii(b[i]));
        if (x != y) return x < y ? -1 : 1;
        if (!utf8 && IsGbkLeadByte(x) && i + 1 < n) {  // the second byte of a GBK character
            ++i;
            x = static_cast<unsigned char>(a[i]);
            y = static_cast<unsigned char>(b[i]);
            if (x != y) return x < y ? -1 : 1;
        }
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

XmlNode* XmlNodeList::GetItems(int index) const {
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return items_[static_cast<std::size_t>(index)];
}

XmlNode::XmlNode(XmlDocument* document) : document_(document) {}

XmlNode::~XmlNode() = default;

std::unique_ptr<XmlNode> XmlNode::Create(XmlDocument* document) {
    return std::make_unique<XmlNode>(document);
}

std::unique_ptr<XmlNode> XmlNode::CreateName(XmlDocument* document, std::string_view name) {
    auto node = Create(document);
    node->SetName(name);
    return node;
}

std::unique_ptr<XmlNode> XmlNode::CreateNameValue(XmlDocument* document, std::string_view name,
                                                  std::string_view value) {
    auto node = CreateName(document, name);
    node->SetValueAsString(value);
    return node;
}

std::unique_ptr<XmlNode> XmlNode::CreateType(XmlDocument* document, XmlNodeKind kind) {
    auto node = Create(document);
    node->kind_ = kind;
    return node;
}

void XmlNode::SetName(std::string_view name) {
    if (name == name_) return;
    if (std::any_of(name.begin(), name.end(), IsXmlBlank))
        throw Exception("Illegal character in node name \"" + std::string(name) + "\"");
    name_ = name;
}

void XmlNode::Clear() {
    CheckChildrenRemovable();
    name_.clear();
    value_.clear();
    AttributesClear();
    NodesClear();
}

void XmlNode::Delete() {
    if (parent_) parent_->NodeRemove(this);
}

void XmlNode::Assign(const XmlNode& source) {
    if (&source == this) return;
    if (source.IsBelow(*this) || IsBelow(source)) {  // clearing this node would change the source
        XmlNode snapshot(document_);
        snapshot.Assign(source);
        Assign(snapshot);
        return;
    }
    Clear();
    kind_ = source.kind_;
    name_ = source.name_;
    tag_ = source.tag_;
    value_ = source.value_;
    attributes_ = source.attributes_;
    nodes_.reserve(source.nodes_.size());
    for (const auto& child : source.nodes_) NodeNew("")->Assign(*child);
}

void XmlNode::Assign(const XmlDocument& source) {
    Assign(source.TopNodes());
}

bool XmlNode::IsBelow(const XmlNode& node) const {
    for (const XmlNode* p = parent_; p; p = p->parent_)
        if (p == &node) return true;
    return false;
}

void XmlNode::CheckRemovable(const XmlNode& child) const {
    if (document_ && document_->IsBeingRead(child))
        throw Exception("Nodes cannot be removed while the document is being parsed");
}

// --- attributes ---

void XmlNode::AddAttributeLine(std::string_view line) {
    if (!document_ || !document_->SortedAttributes) {
        attributes_.push_back(line);
        return;
    }
    // A sorted list keeps one copy of equal lines.
    std::size_t low = 0, high = attributes_.size();
    while (low < high) {
        std::size_t mid = (low + high) / 2;
        if (CompareNames(attributes_[mid], line, Utf8Form()) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    if (low < attributes_.size() && SameName(attributes_[low], line)) return;
    attributes_.Insert(low, line);
}

void XmlNode::TakeAttributeLines(const XmlAttributeLines& lines, std::size_t first) {
    if (!document_ || !document_->SortedAttributes) {
        attributes_.AssignFrom(lines, first);
        return;
    }
    // Sorted once rather than line by line (a tag may hold many attributes), with the same result:
    // the first of equal lines stays.
    std::vector<std::string_view> sorted;
    sorted.reserve(lines.size() - first);
    for (std::size_t i = first; i < lines.size(); ++i) sorted.push_back(lines[i]);
    const bool utf8 = Utf8Form();
    std::stable_sort(sorted.begin(), sorted.end(),
                     [utf8](std::string_view a, std::string_view b) { return CompareNames(a, b, utf8) < 0; });
    sorted.erase(std::unique(sorted.begin(), sorted.end(),
                             [this](std::string_view a, std::string_view b) { return SameName(a, b); }),
                 sorted.end());
    attributes_.clear();
    for (std::string_view line : sorted) attributes_.push_back(line);
}

std::vector<std::string> XmlNode::Attributes() const {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < attributes_.size(); ++i) lines.emplace_back(attributes_[i]);
    return lines;
}

void XmlNode::AttributeAdd(std::string_view name, std::string_view value) {
    AddAttributeLine(std::string(name) + "=" + QuoteString(EscapeString(value)));
}

void XmlNode::AttributesClear() {
    attributes_.Release();
}

std::string_view XmlNode::GetAttributeName(int index) const {
    if (index < 0 || index >= GetAttributeCount()) return {};
    return LineName(attributes_[static_cast<std::size_t>(index)]);
}

std::string XmlNode::GetAttributePair(int index) const {
    if (index < 0 || index >= GetAttributeCount()) return {};
    return std::string(attributes_[static_cast<std::size_t>(index)]);
}

std::string XmlNode::GetAttributeValue(int index) const {
    if (index < 0 || index >= GetAttributeCount()) return {};
    return LineValueText(*this, attributes_[static_cast<std::size_t>(index)]);
}

void XmlNode::SetAttributeValue(int index, std::string_view value) {
    if (index < 0 || index >= GetAttributeCount()) return;
    std::string line = std::string(GetAttributeName(index)) + "=" + QuoteString(EscapeString(value));
    if (document_ && document_->SortedAttributes) {
        attributes_.Erase(static_cast<std::size_t>(index));
        AddAttributeLine(line);
    } else {
        attributes_.Replace(static_cast<std::size_t>(index), line);
    }
}

int XmlNode::AttributeIndexByName(std::string_view name) const {
    for (std::size_t i = 0; i < attributes_.size(); ++i) {
        std::string_view line = attributes_[i];
        if (line.find('=') != std::string_view::npos && SameName(LineName(line), name))
            return static_cast<int>(i);
    }
    return -1;
}

std::string XmlNode::AttributeByName(std::string_view name) const {
    return GetAttributeValue(AttributeIndexByName(name));
}

// --- children ---

XmlNode* XmlNode::GetNodes(int index) const {
    if (index < 0 || index >= GetNodeCount()) return nullptr;
    return nodes_[static_cast<std::size_t>(index)].get();
}

int XmlNode::NodeAdd(std::unique_ptr<XmlNode> node) {
    if (!node) return -1;
    node->parent_ = this;
    nodes_.push_back(std::move(node));
    return GetNodeCount() - 1;
}

XmlNode* XmlNode::NodeInsert(int index, std::unique_ptr<XmlNode>& node) {
    if (!node || index < 0 || index > GetNodeCount()) return nullptr;
    node->parent_ = this;
    XmlNode* inserted = node.get();
    nodes_.insert(static_cast<std::size_t>(index), std::move(node));
    return inserted;
}

XmlNode* XmlNode::NodeNew(std::string_view name) {
    auto node = CreateName(document_, name);
    XmlNode* added = node.get();
    NodeAdd(std::move(node));
    return added;
}

XmlNode* XmlNode::NodeNewAtIndex(int index, std::string_view name) {
    if (index < 0 || index > GetNodeCount()) return nullptr;
    auto node = CreateName(document_, name);
    return NodeInsert(index, node);
}

void XmlNode::NodeDelete(int index) {
    if (index < 0 || index >= GetNodeCount()) return;
    CheckRemovable(*nodes_[static_cast<std::size_t>(index)]);
    nodes_.erase(static_cast<std::size_t>(index));
}

std::unique_ptr<XmlNode> XmlNode::NodeExtract(XmlNode* node) {
    int index = NodeIndexOf(node);
    if (index < 0) return nullptr;
    CheckRemovable(*node);
    std::unique_ptr<XmlNode> taken = std::move(nodes_[static_cast<std::size_t>(index)]);
    nodes_.erase(static_cast<std::size_t>(index));
    taken->parent_ = nullptr;
    SetDocumentRecursive(*taken, nullptr);  // it stands alone: the document may go before it
    return taken;
}

int XmlNode::NodeRemove(XmlNode* node) {
    int index = NodeIndexOf(node);
    if (index >= 0) NodeDelete(index);
    return index;
}

int XmlNode::NodeIndexOf(const XmlNode* node) const {
    if (!node) return -1;
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        if (nodes_[i].get() == node) return static_cast<int>(i);
    return -1;
}

XmlNode* XmlNode::NodeByName(std::string_view name) const {
    return GetNodes(NodeIndexByName(name));
}

XmlNode* XmlNode::NodeByElementType(XmlNodeKind kind) const {
    for (const auto& child : nodes_)
        if (child->kind_ == kind) return child.get();
    return nullptr;
}

int XmlNode::NodeIndexByNameFrom(std::string_view name, int start) const {
    for (std::size_t i = static_cast<std::size_t>(std::max(start, 0)); i < nodes_.size(); ++i)
        if (SameName(nodes_[i]->name_, name)) return static_cast<int>(i);
    return -1;
}

XmlNode* XmlNode::NodeFindOrCreate(std::string_view name) {
    XmlNode* node = NodeByName(name);
    return node ? node : NodeNew(name);
}

void XmlNode::NodesByName(std::string_view name, XmlNodeList* list) const {
    if (!list) return;
    list->Clear();
    const bool utf8 = Utf8Form();
    for (const auto& child : nodes_)
        if (xunda::SameName(child->name_, name, utf8)) list->Add(child.get());
}

void XmlNode::CheckChildrenRemovable() const {
    if (document_ && document_->IsParsing())
        for (const auto& child : nodes_) CheckRemovable(*child);
}

void XmlNode::NodesClear() {
    CheckChildrenRemovable();
    nodes_.clear();
}

// --- queries ---

int XmlNode::GetTreeDepth() const {
    int depth = -1;
    for (const XmlNode* p = parent_; p; p = p->parent_) ++depth;
    return depth;
}

bool XmlNode::WritesAsEmptyTag() const {
    return value_.empty() && nodes_.empty() && kind_ == xnkElement &&
           !(document_ && document_->FullEndTags) && GetTreeDepth() > 0;
}

std::string XmlNode::GetLineFeed() const {
    if (!document_) return {};
    switch (document_->Layout) {
        case xlReadableCrLf:
            return "\r\n";
        case xlReadableLf:
            return "\n";
        default:
            return {};
    }
}

std::string XmlNode::GetIndent() const {
    if (!document_ || document_->Layout != xlReadableCrLf) return {};
    std::string indent;
    for (int depth = GetTreeDepth(); depth > 0; --depth) indent += document_->IndentText;
    return indent;
}

bool XmlNode::Utf8Form() const {
    return document_ && document_->Utf8Strings;
}

std::string XmlNode::UnEscapeString(std::string_view text) const {
    return document_ && document_->Utf8Strings ? UnescapeToUtf8(text) : UnescapeToAnsi(text);
}

std::string XmlNode::FromWidestring(std::u16string_view text) const {
    std::string utf8 = WideTextToUtf8(text);
    return document_ && document_->Utf8Strings ? utf8 : Utf8TextToAnsi(utf8);
}

std::u16string XmlNode::ToWidestring(std::string_view text) const {
    return Utf8TextToWide(document_ && document_->Utf8Strings ? std::string(text) : AnsiTextToUtf8(text));
}

// --- byte blocks ---

std::size_t XmlNode::BufferLength() const {
    std::string text = RemoveBlanks(value_);
    XmlBinaryFormat format = document_ ? document_->BinaryFormat : xbfHex;
    if (format == xbfHex) {
        if (text.size() % 2 != 0) throw EFilerError("Error while calculating streamlength");
        return text.size() / 2;
    }
    if (format == xbfBase64) {
        if (text.size() % 4 != 0) throw EFilerError("Error while calculating streamlength");
        std::size_t n = text.size() / 4 * 3;
        if (text.ends_with("==")) return n - 2;
        if (text.ends_with("=")) return n - 1;
        return n;
    }
    return 0;
}

void XmlNode::BufferRead(void* buffer, std::size_t count) const {
    std::string text = RemoveBlanks(value_);
    if (document_ && document_->BinaryFormat == xbfBase64)
        DecodeBase64(text, buffer, count);
    else
        DecodeBinHex(text, buffer, count);
}

void XmlNode::BufferWrite(const void* buffer, std::size_t count) {
    std::string text;
    if (count > 0)
        text = document_ && document_->BinaryFormat == xbfBase64 ? EncodeBase64(buffer, count)
                                                                 : EncodeBinHex(buffer, count);
    value_ = InsertLineBreaks(text, GetLineFeed() + GetIndent(), 76);
}

void SetDocumentRecursive(XmlNode& node, XmlDocument* document) {
    node.SetDocument(document);
    for (int i = 0; i < node.GetNodeCount(); ++i) SetDocumentRecursive(*node.GetNodes(i), document);
}

}  // namespace xunda
