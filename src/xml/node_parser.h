// The node parser: reads a node and its subtree from a stream of 8-bit characters.
//
// Markup items are recognised by their opening characters (the tag table, longest opening wins),
// start tags are read up to their closing string honouring quotes and split into a name and
// name=value lines, character data is collected between child elements, and end tags are checked
// against the element's name. Entities are not decoded here: values are stored as they stood.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/stream.h"
#include "xml/codec_stream.h"
#include "xml/node.h"

namespace xunda {

struct XmlTagRow {
    std::string_view opening;
    std::string_view closing;
    XmlNodeKind kind;
};

// Searched from the last row (the shortest openings) to the first.
inline constexpr XmlTagRow kXmlTagTable[12] = {
    {"<![CDATA[", "]]>", xnkCData},
    {"<!DOCTYPE", ">", xnkDoctype},
    {"<!ELEMENT", ">", xnkDtdElement},
    {"<!ATTLIST", ">", xnkDtdAttList},
    {"<!ENTITY", ">", xnkDtdEntity},
    {"<!NOTATION", ">", xnkDtdNotation},
    {"<?xml-stylesheet", "?>", xnkStylesheet},
    {"<?xml", "?>", xnkDeclaration},
    {"<!--", "-->", xnkComment},
    {"<!", ">", xnkOtherDeclaration},
    {"<?", "?>", xnkInstruction},
    {"<", ">", xnkElement},
};

// After a "<": the row of the tag table that the following characters open; the characters read
// past that opening are given back to the reader.
int ReadOpenTag(XmlSurplusReader& reader);
// Reads until the text ends with the terminator (outside quotes when skipQuotes); true with the
// text before it, false at the end of the data with all that was read.
bool ReadStringFromStreamUntil(XmlSurplusReader& reader, std::string_view terminator, std::string& text,
                               bool skipQuotes);
// As ReadStringFromStreamUntil with quotes skipped and a terminator of one character; the text is a
// view of the decoded text when the whole of it lies there, else of `scratch`. It lasts until the
// next read.
bool ReadTagText(XmlSurplusReader& reader, char terminator, std::string& scratch, std::string_view& text);
// Reads from the stream itself until the terminator outside quotes; false at the end of the data.
bool ReadStringFromStreamWithQuotes(XmlSurplusReader& reader, char terminator, std::string& text);
// Moves [start, close) inward past blanks; true when characters remain.
bool TrimRange(std::string_view text, std::size_t& start, std::size_t& close);
// Splits text[start, close) at blanks outside quotes and joins name, "=" and quoted value tokens
// into name=value lines. Leaves the list alone when the range is blank.
void ParseAttributes(std::string_view text, std::size_t start, std::size_t close,
                     std::vector<std::string>& list);

class NodeParser {
  public:
    explicit NodeParser(Stream& stream) : stream_(stream), codec_(dynamic_cast<XmlCodecStream*>(&stream)) {}

    // Reads one node and its subtree; depth counts the levels above it in this parse. `opened`: the
    // "<" that starts it has been read already.
    void ReadNode(XmlNode& node, int depth, bool opened = false);
    // The rest of a DOCTYPE after its keyword: name, value and internal subset.
    void ReadDtd(XmlNode& node, int depth);

  private:
    struct Content;

    // The steps of a node after its opening, by its kind.
    void ReadBody(XmlNode& node, XmlSurplusReader& reader, const XmlTagRow& row, int depth);
    // An element's, declaration's or style sheet's start tag: name and attributes. True when it
    // ends the node (an empty element).
    bool ReadStartTag(XmlNode& node, XmlSurplusReader& reader, const XmlTagRow& row);
    // A DTD declaration: the name, and the other tokens one per line as the value.
    void ReadDtdDeclaration(XmlNode& node, XmlSurplusReader& reader);
    // A comment, CDATA section, other declaration or processing instruction: its text up to its
    // closing.
    void ReadSpecial(XmlNode& node, XmlSurplusReader& reader, const XmlTagRow& row);

    // The steps of an element's content, up to and including its end tag.
    void ReadContent(XmlNode& node, XmlSurplusReader& reader, int depth);
    // Character data up to the next "<", which is read too.
    void ReadCharData(XmlSurplusReader& reader, Content& content);
    // The character data so far as a child, unless it is blank.
    void AddCharData(Content& content);
    // After "<" and the character past it: back to the "<", and the child read from there. False
    // when a handler stopped the parse.
    bool ReadChild(XmlSurplusReader& reader, Content& content, int depth);
    // The rest of the end tag after "</": it must name the element.
    void ReadEndTag(XmlNode& node, XmlSurplusReader& reader);
    // Text without children is the value; otherwise trailing line ends are cut from character data
    // children when a carriage return came after the last child began, and character data before
    // the first child becomes the value.
    void EndContent(Content& content);

    void ParseTag(XmlNode& node, std::string_view text);
    // The node's document keeps attributes sorted.
    static bool SortsAttributes(const XmlNode& node);
    // Fires OnNodeCreated; true when a handler stopped the parse.
    bool NodeCreated(XmlNode& node);
    void NodeCompleted(XmlNode& node);
    XmlNode& NewChild(XmlNode& parent, int depth);

    Stream& stream_;
    XmlCodecStream* codec_;
    // Scratch space reused from tag to tag.
    std::string tag_;
    XmlAttributeLines tokens_;
};

}  // namespace xunda
