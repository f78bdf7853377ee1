#include "xml/node_parser.h"

#include <algorithm>
#include <cstring>

#include "core/exceptions.h"
#include "core/text_util.h"
#include "xml/document.h"

namespace xunda {
namespace {

// Nothing but characters up to code 32: what trimming leaves empty.
bool IsBlankText(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

// Whether the text read so far followed by [begin, p) ends with the terminator.
bool EndsWith(std::string_view text, const char* begin, const char* p, std::string_view terminator) {
    const std::size_t inRun = static_cast<std::size_t>(p - begin);
    if (inRun >= terminator.size())
        return std::string_view(p - terminator.size(), terminator.size()) == terminator;
    const std::size_t before = terminator.size() - inRun;
    return text.size() >= before && text.ends_with(terminator.substr(0, before)) &&
           std::string_view(begin, inRun) == terminator.substr(before);
}

[[noreturn]] void Fail(const std::string& text) {
    throw EFilerError(text);
}

// Cuts line feeds, carriage returns and blanks (not tabs) from the end of a text.
void CutTrailingLineEnds(std::string& text) {
    text.erase(text.find_last_not_of("\n\r ") + 1);
}

}  // namespace

int ReadOpenTag(XmlSurplusReader& reader) {
    constexpr int kRows = 12;
    char first;
    if (!reader.ReadChar(first)) return kRows - 1;
    if (first != '!' && first != '?') {  // every longer opening goes on with "!" or "?"
        reader.GiveBack(first);
        return kRows - 1;
    }
    reader.Surplus.assign(1, first);  // read again below with the full table
    bool candidate[kRows];
    for (bool& c : candidate) c = true;
    int result = kRows - 1;
    std::string collected;  // the characters after "<"
    for (std::size_t pos = 2;; ++pos) {
        char ch;
        if (!reader.ReadChar(ch)) return result;
        collected += ch;
        bool matched = false;
        for (int row = kRows - 1; row >= 0; --row) {
            std::string_view opening = kXmlTagTable[row].opening;
            if (!candidate[row] || opening.size() < pos) continue;
            if (opening[pos - 1] == ch) {
                matched = true;
                if (opening.size() == pos) result = row;
            } else {
                candidate[row] = false;
            }
        }
        if (!matched) break;
    }
    reader.Surplus = collected.substr(kXmlTagTable[result].opening.size() - 1);
    return result;
}

bool ReadStringFromStreamUntil(XmlSurplusReader& reader, std::string_view terminator, std::string& text,
                               bool skipQuotes) {
    text.clear();
    if (terminator.empty()) return false;
    const char last = terminator.back();
    char quote = 0;
    auto ended = [&] { return terminator.size() == 1 || std::string_view(text).ends_with(terminator); };
    for (;;) {
        // Whole runs of the decoded text at a time, one character at a time otherwise.
        std::string_view run = reader.PeekRun();
        if (!run.empty()) {
            const char* begin = run.data();
            const char* end = begin + run.size();
            const char* p = begin;
            bool found = false;
            while (p < end) {
                if (quote != 0) {  // straight to the closing quote
                    const void* closing = std::memchr(p, quote, static_cast<std::size_t>(end - p));
                    p = closing ? static_cast<const char*>(closing) + 1 : end;
                    if (closing) quote = 0;
                    continue;
                }
                if (skipQuotes)  // straight to the next quote or terminator
                    while (p < end && *p != last && !IsXmlQuote(*p)) ++p;
                else
                    while (p < end && *p != last) ++p;
                if (p == end) break;
                const char c = *p++;
                if (c != last) {
                    quote = c;
                } else if (terminator.size() == 1 || EndsWith(text, begin, p, terminator)) {
                    found = true;
                    break;
                }
            }
            text.append(begin, p);
            reader.TakeRun(static_cast<std::size_t>(p - begin));
            if (found) break;
            continue;
        }
        char ch;
        if (!reader.ReadChar(ch)) return false;
        text += ch;
        if (skipQuotes && quote != 0) {
            if (ch == quote) quote = 0;
        } else if (skipQuotes && IsXmlQuote(ch)) {
            quote = ch;
        } else if (ch == last && ended()) {
            break;
        }
    }
    text.resize(text.size() - terminator.size());
    return true;
}

bool ReadTagText(XmlSurplusReader& reader, char terminator, std::string& scratch, std::string_view& text) {
    const std::string_view run = reader.PeekRun();
    const char* const begin = run.data();
    const char* const end = begin + run.size();
    for (const char* p = begin; p < end; ++p) {
        const char c = *p;
        if (c == terminator) {
            text = std::string_view(begin, static_cast<std::size_t>(p - begin));
            reader.TakeRun(text.size() + 1);
            return true;
        }
        if (!IsXmlQuote(c)) continue;
        p = static_cast<const char*>(std::memchr(p + 1, c, static_cast<std::size_t>(end - p - 1)));
        if (!p) break;  // the quoted stretch goes on past the run
    }
    const bool found = ReadStringFromStreamUntil(reader, std::string_view(&terminator, 1), scratch, true);
    text = scratch;
    return found;
}

bool ReadStringFromStreamWithQuotes(XmlSurplusReader& reader, char terminator, std::string& text) {
    text.clear();
    char quote = 0;
    char ch;
    while (reader.ReadFromStream(ch)) {
        if (quote == 0 && IsXmlQuote(ch))
            quote = ch;
        else if (quote != 0 && ch == quote)
            quote = 0;
        else if (quote == 0 && ch == terminator)
            return true;
        text += ch;
    }
    return false;
}

bool TrimRange(std::string_view text, std::size_t& start, std::size_t& close) {
    if (close > text.size()) close = text.size();
    if (close <= start) return false;
    while (start < close && IsXmlBlank(text[start])) ++start;
    while (close > start && IsXmlBlank(text[close - 1])) --close;
    return close > start;
}

namespace {

// Splits text[start, close) into tokens at blanks outside quotes and joins them, in one forward
// pass each: a token that begins with "=" joins the token before it; then a token that begins with
// a quote joins the line before when that line's own token holds "=". Lines go to the sink
// (clear, push_back, AppendToLast); false, with the sink untouched, for a blank range.
template <typename Sink>
bool SplitAttributes(std::string_view text, std::size_t start, std::size_t close, Sink& sink) {
    if (!TrimRange(text, start, close)) return false;
    sink.clear();
    bool any = false;
    bool previousHasEquals = false;
    auto emit = [&](std::string_view line) {
        bool hasEquals =
            std::find(line.begin(), line.end(), '=') != line.end();  // near the start: no memchr call
        if (any && IsXmlQuote(line[0]) && previousHasEquals) {
            sink.AppendToLast(line);
        } else {
            sink.push_back(line);
            any = true;
        }
        previousHasEquals = hasEquals;
    };
    std::string_view current;  // the token of the first join: a view of the text or of `joined`
    std::string joined;
    bool isJoined = false;
    auto token = [&](std::string_view raw) {
        if (raw.empty()) return;
        if (!current.empty() && raw[0] == '=') {
            if (!isJoined) joined.assign(current);
            isJoined = true;
            joined += raw;
            current = joined;
            return;
        }
        if (!current.empty()) emit(current);
        current = raw;
        isJoined = false;
    };
    std::size_t tokenStart = start;
    for (std::size_t i = start; i < close; ++i) {
        const char ch = text[i];
        const std::uint8_t kind = kXmlCharClass[static_cast<unsigned char>(ch)] & (xccBlank | xccQuote);
        if (kind == 0) continue;
        if (kind & xccQuote) {  // straight to the closing quote, or to the end when there is none
            const void* closing = std::memchr(text.data() + i + 1, ch, close - i - 1);
            i = closing ? static_cast<std::size_t>(static_cast<const char*>(closing) - text.data())
                        : close - 1;
        } else {
            token(text.substr(tokenStart, i - tokenStart));
            tokenStart = i + 1;
        }
    }
    token(text.substr(tokenStart, close - tokenStart));
    if (!current.empty()) emit(current);
    return true;
}

struct StringListSink {
    std::vector<std::string>& list;
    void clear() { list.clear(); }
    void push_back(std::string_view line) { list.emplace_back(line); }
    void AppendToLast(std::string_view more) { list.back() += more; }
};

}  // namespace

void ParseAttributes(std::string_view text, std::size_t start, std::size_t close,
                     std::vector<std::string>& list) {
    StringListSink sink{list};
    SplitAttributes(text, start, close, sink);
}

namespace {

// The lines of an element's start tag straight into a node without attributes: the first line is
// its name, the others its attributes.
struct ElementSink {
    std::string& name;
    XmlAttributeLines& attributes;
    bool named = false;
    void clear() {}
    void push_back(std::string_view line) {
        if (named) {
            attributes.push_back(line);
        } else {
            name.assign(line);
            named = true;
        }
    }
    void AppendToLast(std::string_view more) {
        if (attributes.empty())
            name.append(more);
        else
            attributes.AppendToLast(more);
    }
};

// A start tag of the plain form `name attr="value" ... >` (or "/>"), as a data reply writes them,
// read in one pass from the decoded run after its "<": the name into `name`, the name="value"
// lines into the empty `attributes`, with the same result as reading the tag text and splitting
// it. Returns the characters taken through the ">", or 0 with nothing changed when the tag is of
// another form or goes on past the run.
std::size_t ReadPlainStartTag(std::string_view run, std::string& name, XmlAttributeLines& attributes,
                              bool& empty) {
    const char* const begin = run.data();
    const char* const end = begin + run.size();
    auto nameEnd = [end](const char* p) {
        while (p < end && kXmlCharClass[static_cast<unsigned char>(*p)] == 0) ++p;
        return p;
    };
    const char* p = nameEnd(begin);
    const std::string_view tagName(begin, static_cast<std::size_t>(p - begin));
    while (!tagName.empty() && p < end) {
        if (*p == '>' || (*p == '/' && p + 1 < end && p[1] == '>')) {
            empty = *p == '/';
            name.assign(tagName);
            return static_cast<std::size_t>(p - begin) + (empty ? 2 : 1);
        }
        if (!IsXmlBlank(*p)) break;  // a name or a value without a blank before what follows
        while (++p < end && IsXmlBlank(*p)) {
        }
        if (p == end || *p == '>' || *p == '/') continue;
        const char* const line = p;
        p = nameEnd(p);
        if (p == line || end - p < 2 || *p != '=' || !IsXmlQuote(p[1])) break;
        const void* closing = std::memchr(p + 2, p[1], static_cast<std::size_t>(end - p - 2));
        if (!closing) break;
        p = static_cast<const char*>(closing) + 1;
        attributes.push_back(std::string_view(line, static_cast<std::size_t>(p - line)));
    }
    attributes.clear();
    return 0;
}

}  // namespace

bool NodeParser::SortsAttributes(const XmlNode& node) {
    return node.document_ && node.document_->SortedAttributes;
}

void NodeParser::ParseTag(XmlNode& node, std::string_view text) {
    if (node.kind_ == xnkElement && node.attributes_.empty() && !SortsAttributes(node)) {
        ElementSink sink{node.name_, node.attributes_};
        SplitAttributes(text, 0, text.size(), sink);
        if (!sink.named) Fail("Missing element name");
        return;
    }
    XmlAttributeLines& tokens = tokens_;
    tokens.clear();
    SplitAttributes(text, 0, text.size(), tokens);
    std::size_t first = 0;
    switch (node.kind_) {
        case xnkDeclaration:
            node.name_ = "xml";
            break;
        case xnkStylesheet:
            node.name_ = "xml-stylesheet";
            node.value_ = TrimControls(text);
            break;
        default:
            if (tokens.empty()) Fail("Missing element name");
            node.name_ = tokens[0];
            first = 1;
    }
    if (first < tokens.size()) node.TakeAttributeLines(tokens, first);
}

bool NodeParser::NodeCreated(XmlNode& node) {
    XmlDocument* doc = node.document_;
    if (!doc) return false;
    if (doc->OnNodeCreated) doc->OnNodeCreated(*doc, node);
    return doc->StopParse;
}

void NodeParser::NodeCompleted(XmlNode& node) {
    XmlDocument* doc = node.document_;
    if (!doc || doc->StopParse) return;
    if (doc->OnStreamProgress) doc->OnStreamProgress(*doc, stream_.Position());
    if (doc->OnNodeCompleted) doc->OnNodeCompleted(*doc, node);
}

XmlNode& NodeParser::NewChild(XmlNode& parent, int depth) {
    if (depth + 1 >= XmlDocument::kMaxNesting) Fail("Nesting too deep in element " + parent.name_);
    auto child = XmlNode::Create(parent.document_);
    XmlNode& added = *child;
    parent.NodeAdd(std::move(child));
    return added;
}

void NodeParser::ReadNode(XmlNode& node, int depth, bool opened) {
    XmlDocument* doc = node.document_;
    if (doc && doc->StopParse) return;
    struct Parsing {  // marks the node as being read while it is
        XmlDocument* doc;
        Parsing(XmlDocument* d, const XmlNode& node) : doc(d) {
            if (doc) doc->reading_.push_back(&node);
        }
        ~Parsing() {
            if (doc) doc->reading_.pop_back();
        }
    } parsing(doc, node);
    XmlSurplusReader reader(stream_, codec_);
    char ch;
    if (!opened && (!reader.ReadCharSkipBlanks(ch) || ch != '<')) return;
    const XmlTagRow& row = kXmlTagTable[ReadOpenTag(reader)];
    node.kind_ = row.kind;
    try {
        ReadBody(node, reader, row, depth);
    } catch (...) {
        NodeCompleted(node);
        throw;
    }
    NodeCompleted(node);
}

void NodeParser::ReadBody(XmlNode& node, XmlSurplusReader& reader, const XmlTagRow& row, int depth) {
    switch (row.kind) {
        case xnkElement:
        case xnkDeclaration:
        case xnkStylesheet: {
            const bool empty = ReadStartTag(node, reader, row);
            if (!NodeCreated(node) && !empty && row.kind == xnkElement) ReadContent(node, reader, depth);
            return;
        }
        case xnkDoctype:
            node.SetName("DTD");
            if (!NodeCreated(node) && node.document_) ReadDtd(node, depth);
            return;
        case xnkDtdElement:
        case xnkDtdAttList:
        case xnkDtdEntity:
        case xnkDtdNotation:
            ReadDtdDeclaration(node, reader);
            return;
        default:
            ReadSpecial(node, reader, row);
            return;
    }
}

bool NodeParser::ReadStartTag(XmlNode& node, XmlSurplusReader& reader, const XmlTagRow& row) {
    bool empty = false;
    if (row.kind == xnkElement && node.attributes_.empty() && !SortsAttributes(node)) {
        if (std::size_t taken = ReadPlainStartTag(reader.PeekRun(), node.name_, node.attributes_, empty)) {
            reader.TakeRun(taken);
            return empty;
        }
    }
    std::string_view text;
    bool closed;
    if (row.closing.size() == 1) {
        closed = ReadTagText(reader, row.closing[0], tag_, text);
    } else {
        closed = ReadStringFromStreamUntil(reader, row.closing, tag_, true);
        text = tag_;
    }
    empty = row.kind == xnkElement && text.ends_with('/');
    if (empty) text.remove_suffix(1);
    ParseTag(node, text);
    // A reply cut off inside a start tag is no complete document.
    if (!closed && row.kind == xnkElement) Fail("Missing \">\" in start tag of element " + node.name_);
    return empty;
}

void NodeParser::ReadDtdDeclaration(XmlNode& node, XmlSurplusReader& reader) {
    std::string text;
    ReadStringFromStreamWithQuotes(reader, '>', text);
    std::vector<std::string> tokens;
    ParseAttributes(text, 0, text.size(), tokens);
    if (!tokens.empty()) {
        node.SetName(tokens.front());
        std::string value;
        for (std::size_t i = 1; i < tokens.size(); ++i) {
            if (i > 1) value += "\r\n";
            value += tokens[i];
        }
        node.value_ = TrimControls(value);
    }
    NodeCreated(node);
}

void NodeParser::ReadSpecial(XmlNode& node, XmlSurplusReader& reader, const XmlTagRow& row) {
    node.SetName(row.kind == xnkComment ? "Comment" : row.kind == xnkCData ? "CData" : "Special");
    if (NodeCreated(node)) return;
    ReadStringFromStreamUntil(reader, row.closing, tag_, false);
    node.value_ = tag_;
}

// What an element's content has given so far.
struct NodeParser::Content {
    XmlNode& node;
    std::string text;        // the character data since the last child element
    bool hadChild = false;   // a child element has been read
    bool hadReturn = false;  // a carriage return since the last child element started
    // Whether character data children (also ones the node held before) may need trimming at the end.
    bool hadCharData = node.NodeByElementType(xnkCharData) != nullptr;
};

void NodeParser::ReadContent(XmlNode& node, XmlSurplusReader& reader, int depth) {
    Content content{node};
    for (;;) {
        ReadCharData(reader, content);
        char ch;
        if (!reader.ReadChar(ch)) Fail("Missing data after \"<\" in element " + node.name_);
        if (ch == '/') break;
        if (!ReadChild(reader, content, depth)) return;
    }
    ReadEndTag(node, reader);
    EndContent(content);
}

// The steps of the content loop are inline: a call each would cost a data reply a few per cent of
// its parse.
inline void NodeParser::ReadCharData(XmlSurplusReader& reader, Content& content) {
    for (;;) {
        const std::string_view run = reader.PeekRun();
        std::size_t piece = 0;  // the character data of the run before the next "<"
        for (; piece < run.size() && run[piece] != '<'; ++piece) content.hadReturn |= run[piece] == '\r';
        if (piece > 0) {
            content.text.append(run.data(), piece);
            reader.TakeRun(piece);
            continue;
        }
        char ch;
        if (!reader.ReadFromStream(ch)) Fail("Missing close tag in element " + content.node.name_);
        if (ch == '<') return;
        content.hadReturn |= ch == '\r';
        content.text += ch;
    }
}

inline void NodeParser::AddCharData(Content& content) {
    if (!content.text.empty() && !IsBlankText(content.text)) {
        auto data = XmlNode::CreateType(content.node.document_, xnkCharData);
        data->value_ = std::move(content.text);
        content.node.NodeAdd(std::move(data));
        content.hadCharData = true;
    }
    content.text.clear();
}

inline bool NodeParser::ReadChild(XmlSurplusReader& reader, Content& content, int depth) {
    AddCharData(content);
    content.hadReturn = false;
    content.hadChild = true;
    // Back to the "<" for the child; through the codec only the character after it goes back, and
    // the child starts past the "<".
    const bool opened = codec_ && reader.Surplus.empty();
    if (opened)
        codec_->Back();
    else
        stream_.Seek(-2, SeekOrigin::Current);
    XmlNode& node = content.node;
    XmlNode& child = NewChild(node, depth);
    ReadNode(child, depth + 1, opened);
    XmlDocument* doc = node.document_;
    if (doc && doc->StopParse) return false;
    if (doc && doc->DropComments && child.kind_ == xnkComment)
        node.nodes_.erase(static_cast<std::size_t>(node.NodeIndexOf(&child)));
    return true;
}

void NodeParser::ReadEndTag(XmlNode& node, XmlSurplusReader& reader) {
    if (!ReadStringFromStreamUntil(reader, ">", tag_, true))
        Fail("Missing \">\" in close tag of element " + node.name_);
    // The text read so far is UTF-8 when the document holds UTF-8 or the source is UTF-8.
    const XmlDocument* doc = node.document_;
    const bool utf8 = (doc && doc->Utf8Strings) || (codec_ && codec_->Encoding() == xeUtf8);
    if (!SameName(TrimControls(tag_), node.name_, utf8)) Fail("Incorrect close tag in element " + node.name_);
}

void NodeParser::EndContent(Content& content) {
    XmlNode& node = content.node;
    if (!content.hadChild) {  // text only: it is the value
        if (!IsBlankText(content.text)) node.value_ = std::move(content.text);
        return;
    }
    AddCharData(content);
    if (content.hadReturn && content.hadCharData)
        for (auto& child : node.nodes_)
            if (child->kind_ == xnkCharData) CutTrailingLineEnds(child->value_);
    if (!node.nodes_.empty() && node.nodes_.front()->kind_ == xnkCharData) {
        node.value_ = std::move(node.nodes_.front()->value_);
        node.nodes_.erase(0);
    }
}

void NodeParser::ReadDtd(XmlNode& node, int depth) {
    XmlSurplusReader reader(stream_, codec_);
    std::string text;
    char ch;
    bool found = false;
    while (reader.ReadFromStream(ch)) {
        if (ch == '>' || ch == '[') {
            found = true;
            break;
        }
        text += ch;
    }
    if (!found) return;
    std::vector<std::string> tokens;
    ParseAttributes(text, 0, text.size(), tokens);
    if (!tokens.empty()) {
        node.SetName(tokens.front());
        std::string value;
        for (std::size_t i = 1; i < tokens.size(); ++i) value += tokens[i] + "\r\n";
        std::string joined;  // every CR LF made one blank
        for (std::size_t i = 0; i < value.size(); ++i) {
            bool lineBreak = value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n';
            joined += lineBreak ? ' ' : value[i];
            i += lineBreak ? 1 : 0;
        }
        node.value_ = TrimControls(joined);
    }
    if (ch != '[') return;
    XmlDocument* doc = node.document_;
    for (;;) {
        do {
            if (!reader.ReadFromStream(ch)) return;
        } while (IsXmlBlank(ch));
        if (ch == ']') break;
        if (ch != '<') continue;  // characters that start no node are dropped
        stream_.Seek(-1, SeekOrigin::Current);
        XmlNode& child = NewChild(node, depth);
        ReadNode(child, depth + 1);
        if (doc && doc->StopParse) return;
    }
    while (reader.ReadFromStream(ch) && ch != '>') {
    }
}

}  // namespace xunda
