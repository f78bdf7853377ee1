// Entities, quoting, blanks and line breaks.
#include "core/codepage.h"
#include "xml/text.h"

namespace xunda {
namespace {

const char* EntityOf(char c) {
    switch (c) {
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '\'':
            return "&apos;";
        case '"':
            return "&quot;";
        default:
            return nullptr;
    }
}

char CharOfEntity(std::string_view entity) {
    if (entity == "&amp;") return '&';
    if (entity == "&lt;") return '<';
    if (entity == "&gt;") return '>';
    if (entity == "&apos;") return '\'';
    if (entity == "&quot;") return '"';
    return 0;
}

// The code of a numeric reference "&#...;" (hex after "x"/"X"), or -1.
std::int64_t ReferenceCode(std::string_view entity) {
    std::string_view code = entity.substr(2, entity.size() - 3);
    if (code.empty()) return -1;
    std::int64_t value = -1;
    std::string text(code);
    if (text[0] == 'x' || text[0] == 'X') text[0] = '$';
    bool ok = TextToInt64(text, value);
    return ok ? value : -1;
}

// A code point a reference may stand for: a Unicode scalar value other than U+FFFE and U+FFFF.
bool IsReferableCode(std::int64_t code) {
    return code >= 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF) && code != 0xFFFE &&
           code != 0xFFFF;
}

template <typename Decode>
std::string Unescape(std::string_view text, Decode decodeReference) {
    if (text.find('&') == std::string_view::npos) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t amp = text.find('&', pos);
        if (amp == std::string_view::npos) break;
        out.append(text.substr(pos, amp - pos));
        std::size_t semi = text.find(';', amp);
        if (semi == std::string_view::npos) {
            pos = amp;
            break;
        }
        std::string_view entity = text.substr(amp, semi + 1 - amp);
        pos = semi + 1;
        if (entity.size() >= 2 && entity[1] == '#') {
            std::int64_t code = ReferenceCode(entity);
            if (IsReferableCode(code)) {
                decodeReference(
                    out, code == 0 ? char32_t{0xFFFD} : static_cast<char32_t>(code));  // no NUL in a text
                continue;
            }
        } else if (char c = CharOfEntity(entity)) {
            out += c;
            continue;
        }
        out.append(entity);
    }
    out.append(text.substr(pos));
    return out;
}

}  // namespace

std::string EscapeString(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (const char* entity = EntityOf(c))
            out += entity;
        else
            out += c;
    }
    return out;
}

std::string UnescapeToUtf8(std::string_view text) {
    return Unescape(text, [](std::string& out, char32_t cp) { AppendUtf8(out, cp); });
}

std::string UnescapeToAnsi(std::string_view text) {
    return Unescape(text, [](std::string& out, char32_t cp) {
        bool lost;
        out += CodePointToGbk(cp, lost);
    });
}

std::string QuoteString(std::string_view text) {
    bool hasDouble = text.find('"') != std::string_view::npos;
    char quote = hasDouble ? '\'' : '"';
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back(quote);
    for (char c : text) {
        out.push_back(c);
        if (hasDouble && c == '\'') out.push_back(c);
    }
    out.push_back(quote);
    return out;
}

std::string UnQuoteString(std::string_view text) {
    if (text.size() < 2 || !IsXmlQuote(text[0])) return std::string(text);
    char quote = text[0];
    std::string out;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                out += quote;
                ++i;
                continue;
            }
            break;
        }
        out += text[i];
    }
    return out;
}

std::string RemoveBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (!IsXmlBlank(c)) out += c;
    return out;
}

std::string InsertLineBreaks(std::string_view text, std::string_view control, int lineLength) {
    if (control.empty() || lineLength <= 0) return std::string(text);
    std::size_t n = static_cast<std::size_t>(lineLength);
    std::string out;
    out.reserve(text.size() + (text.size() / n + 2) * control.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i % n == 0) out.append(control);
        out += text[i];
    }
    out.append(control);
    return out;
}

}  // namespace xunda
