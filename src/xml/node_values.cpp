// Typed values kept in named child elements and in attributes, and the node's own value with a default.
#include <algorithm>
#include <charconv>
#include <cstdio>

#include "core/codepage.h"
#include "xml/document.h"
#include "xml/node.h"

namespace xunda {
namespace {

// Locale-independent decimal text to double: blanks around, an optional sign, digits with an
// optional point and exponent; false for anything else.
bool TextToFloat(std::string_view text, double& value) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !((text[0] >= '0' && text[0] <= '9') || text[0] == '.')) return false;
    double v;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::general);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    value = negative ? -v : v;
    return true;
}

}  // namespace

// --- the node's own value ---

bool XmlNode::ValueAsBoolDef(bool def) const {
    if (value_.empty()) return def;
    char c = static_cast<char>(value_[0] >= 'a' && value_[0] <= 'z' ? value_[0] - 32 : value_[0]);
    if (c == 'T' || c == 'Y') return true;
    if (c == 'F' || c == 'N') return false;
    return def;
}

std::int32_t XmlNode::ValueAsIntegerDef(std::int32_t def) const {
    return StrToIntDef(value_, def);
}

std::int64_t XmlNode::ValueAsInt64Def(std::int64_t def) const {
    return StrToInt64Def(value_, def);
}

double XmlNode::ValueAsFloatDef(double def) const {
    std::string text = value_;
    if (std::size_t comma = text.find(','); comma != std::string::npos) text[comma] = '.';
    double v;
    return TextToFloat(text, v) ? v : def;
}

XmlDateTime XmlNode::ValueAsDateTimeDef(XmlDateTime def) const {
    return IsoTextToDateTimeDef(GetValueAsString(), def);
}

// --- readers ---

std::int32_t XmlNode::ReadAttributeInteger(std::string_view name, std::int32_t def) const {
    return StrToIntDef(AttributeByName(name), def);
}

std::int64_t XmlNode::ReadAttributeInt64(std::string_view name, std::int64_t def) const {
    return StrToInt64Def(AttributeByName(name), def);
}

std::string XmlNode::ReadAttributeString(std::string_view name, std::string_view def) const {
    std::string value = AttributeByName(name);
    return value.empty() ? std::string(def) : value;
}

bool XmlNode::ReadBool(std::string_view name, bool def) const {
    const XmlNode* child = NodeByName(name);
    return child ? child->ValueAsBoolDef(def) : def;
}

std::int32_t XmlNode::ReadColor(std::string_view name, std::int32_t def) const {
    const XmlNode* child = NodeByName(name);
    return child ? StrToInt(child->GetValueAsString()) : def;
}

double XmlNode::ReadFloat(std::string_view name, double def) const {
    const XmlNode* child = NodeByName(name);
    return child ? child->ValueAsFloatDef(def) : def;
}

XmlDateTime XmlNode::ReadDateTime(std::string_view name, XmlDateTime def) const {
    return IsoTextToDateTimeDef(ReadString(name, ""), def);
}

std::int32_t XmlNode::ReadInteger(std::string_view name, std::int32_t def) const {
    const XmlNode* child = NodeByName(name);
    return child ? child->ValueAsIntegerDef(def) : def;
}

std::int64_t XmlNode::ReadInt64(std::string_view name, std::int64_t def) const {
    const XmlNode* child = NodeByName(name);
    return child ? child->ValueAsInt64Def(def) : def;
}

std::string XmlNode::ReadString(std::string_view name, std::string_view def) const {
    const XmlNode* child = NodeByName(name);
    return child ? child->GetValueAsString() : std::string(def);
}

std::u16string XmlNode::ReadWidestring(std::string_view name, std::u16string_view def) const {
    return ToWidestring(ReadString(name, FromWidestring(def)));
}

XmlBrush XmlNode::ReadBrush(std::string_view name) const {
    XmlBrush brush;
    if (const XmlNode* child = NodeByName(name)) {
        brush.Color = child->ReadColor("Color", 0xFFFFFF);
        brush.Style = child->ReadInteger("Style", 0);
    }
    return brush;
}

XmlPen XmlNode::ReadPen(std::string_view name) const {
    XmlPen pen;
    if (const XmlNode* child = NodeByName(name)) {
        pen.Color = child->ReadColor("Color", 0);
        pen.Mode = child->ReadInteger("Mode", 4);
        pen.Style = child->ReadInteger("Style", 0);
        pen.Width = child->ReadInteger("Width", 1);
    }
    return pen;
}

XmlFont XmlNode::ReadFont(std::string_view name) const {
    XmlFont font;
    if (const XmlNode* child = NodeByName(name)) {
        font.Name = child->ReadString("Name", "Arial");
        font.Color = child->ReadColor("Color", 0);
        font.Size = child->ReadInteger("Size", 14);
        font.Bold = child->ReadBool("Bold", false);
        font.Italic = child->ReadBool("Italic", false);
        font.Underline = child->ReadBool("Underline", false);
        font.StrikeOut = child->ReadBool("Strikeout", false);
    }
    return font;
}

// --- writers ---

bool XmlNode::SkipsDefault(bool isDefault) const {
    return isDefault && document_ && !document_->WriteDefaults;
}

void XmlNode::WriteString(std::string_view name, std::string_view value, std::string_view def) {
    if (SkipsDefault(value == def)) return;
    NodeFindOrCreate(name)->SetValueAsString(value);
}

void XmlNode::WriteInteger(std::string_view name, std::int32_t value, std::int32_t def) {
    if (SkipsDefault(value == def)) return;
    NodeFindOrCreate(name)->SetValueAsString(std::to_string(value));
}

void XmlNode::WriteInt64(std::string_view name, std::int64_t value, std::int64_t def) {
    if (SkipsDefault(value == def)) return;
    NodeFindOrCreate(name)->SetValueAsString(std::to_string(value));
}

namespace {
std::string FloatText(const XmlDocument* doc, double value) {
    return FloatToDigitsText(doc ? doc->FloatDigits : 6, doc ? doc->FloatExponent : true, value);
}
}  // namespace

void XmlNode::WriteFloat(std::string_view name, double value, double def) {
    if (SkipsDefault(value == def)) return;
    NodeFindOrCreate(name)->SetValueAsString(FloatText(document_, value));
}

void XmlNode::WriteBool(std::string_view name, bool value, bool def) {
    if (SkipsDefault(value == def)) return;
    NodeFindOrCreate(name)->SetValueAsString(value ? "True" : "False");
}

void XmlNode::WriteDateTime(std::string_view name, XmlDateTime value, XmlDateTime def) {
    if (SkipsDefault(value == def)) return;
    WriteString(name, DateTimeToIsoText(value), "");
}

void XmlNode::WriteHex(std::string_view name, std::uint32_t value, int digits, std::uint32_t def) {
    if (SkipsDefault(value == def)) return;
    char buf[40];
    std::snprintf(buf, sizeof buf, "$%.*X", std::clamp(digits, 0, 32), value);
    NodeFindOrCreate(name)->SetValueAsString(buf);
}

void XmlNode::WriteColor(std::string_view name, std::int32_t color, std::int32_t) {
    WriteHex(name, static_cast<std::uint32_t>(color), 8, 0);
}

void XmlNode::WriteWidestring(std::string_view name, std::u16string_view value, std::u16string_view def) {
    WriteString(name, FromWidestring(value), FromWidestring(def));
}

void XmlNode::WriteBrush(std::string_view name, const XmlBrush& brush) {
    XmlNode* child = NodeFindOrCreate(name);
    child->WriteColor("Color", brush.Color, 0);
    child->WriteInteger("Style", brush.Style, 0);
}

void XmlNode::WritePen(std::string_view name, const XmlPen& pen) {
    XmlNode* child = NodeFindOrCreate(name);
    child->WriteColor("Color", pen.Color, 0);
    child->WriteInteger("Mode", pen.Mode, 0);
    child->WriteInteger("Style", pen.Style, 0);
    child->WriteInteger("Width", pen.Width, 0);
}

void XmlNode::WriteFont(std::string_view name, const XmlFont& font) {
    XmlNode* child = NodeFindOrCreate(name);
    child->WriteString("Name", font.Name, "Arial");
    child->WriteColor("Color", font.Color, 0);
    child->WriteInteger("Size", font.Size, 14);
    child->WriteBool("Bold", font.Bold, false);
    child->WriteBool("Italic", font.Italic, false);
    child->WriteBool("Underline", font.Underline, false);
    child->WriteBool("Strikeout", font.StrikeOut, false);
}

void XmlNode::WriteAttributeText(std::string_view name, std::string_view text) {
    int index = AttributeIndexByName(name);
    if (index >= 0)
        SetAttributeValue(index, text);
    else
        AttributeAdd(name, text);
}

void XmlNode::WriteAttributeString(std::string_view name, std::string_view value, std::string_view def) {
    if (SkipsDefault(value == def)) return;
    WriteAttributeText(name, value);
}

void XmlNode::WriteAttributeInteger(std::string_view name, std::int32_t value, std::int32_t def) {
    if (SkipsDefault(value == def)) return;
    WriteAttributeText(name, std::to_string(value));
}

void XmlNode::WriteAttributeFloat(std::string_view name, double value, double def) {
    if (SkipsDefault(value == def)) return;
    WriteAttributeText(name, FloatText(document_, value));
}

}  // namespace xunda
