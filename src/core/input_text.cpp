#include "core/input_text.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/codepage.h"
#include "core/unicode.h"

namespace xunda {
namespace {

enum class Encoding : std::uint8_t { Utf8, Gbk, Wide };

struct Form {
    Encoding encoding;
    WideForm wide = WideForm::Utf16Le;  // when Wide
    std::size_t markBytes = 0;
};

// The form a byte-order mark at the start gives. UTF-32 LE first: its mark begins with UTF-16 LE's.
std::optional<Form> FormByMark(std::string_view start) {
    using namespace std::string_view_literals;
    const std::pair<std::string_view, Form> marks[] = {
        {"\xFF\xFE\0\0"sv, {Encoding::Wide, WideForm::Utf32Le}},
        {"\0\0\xFE\xFF"sv, {Encoding::Wide, WideForm::Utf32Be}},
        {"\xEF\xBB\xBF"sv, {Encoding::Utf8}},
        {"\xFF\xFE"sv, {Encoding::Wide, WideForm::Utf16Le}},
        {"\xFE\xFF"sv, {Encoding::Wide, WideForm::Utf16Be}},
    };
    for (auto [mark, form] : marks) {
        if (!start.starts_with(mark)) continue;
        form.markBytes = mark.size();
        return form;
    }
    return std::nullopt;
}

// Characters a text file is mostly made of: ASCII letters, digits and line breaks, the letters of
// Latin, Greek, Cyrillic and the scripts up to the Indic ones, CJK punctuation and kana, the CJK
// ideographs, full-width forms.
bool Likely(char32_t c) {
    return c == '\t' || c == '\n' || c == '\r' || (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c < 0x2000) ||
           (c >= 0x3000 && c < 0x3100) || (c >= 0x4E00 && c < 0xA000) || (c >= 0xFF00 && c < 0xFFF0);
}

// UTF-16 without a mark, in the byte order whose characters are at least three quarters likely
// ones and more than in the other order. GBK and UTF-8 text has no zero bytes, so only bytes with
// zero bytes are asked.
std::optional<WideForm> Utf16ByItsCharacters(std::string_view bytes) {
    std::size_t le = 0, be = 0;
    for (std::size_t at = 0; at + 2 <= bytes.size(); at += 2) {
        le += Likely(UnitAt(bytes, at, WideForm::Utf16Le));
        be += Likely(UnitAt(bytes, at, WideForm::Utf16Be));
    }
    const std::size_t units = bytes.size() / 2;
    if (le > be && 4 * le >= 3 * units) return WideForm::Utf16Le;
    if (be > le && 4 * be >= 3 * units) return WideForm::Utf16Be;
    return std::nullopt;
}

// Whether bytes seen a piece at a time are UTF-8; a sequence cut by a piece's end is completed by
// the next piece.
class Utf8Check {
  public:
    void Add(std::string_view piece) {
        std::size_t i = 0;
        if (!open_.empty() && valid_) {
            const std::string joined = open_ + std::string(piece.substr(0, 3));
            const Utf8Char c = DecodeUtf8(joined, 0);
            valid_ = c.status == Utf8Status::Ok;
            i = c.length - open_.size();
            open_.clear();
        }
        while (valid_ && i < piece.size()) {
            const Utf8Char c = DecodeUtf8(piece, i);
            const auto lead = static_cast<unsigned char>(piece[i]);
            if (c.status == Utf8Status::Malformed && i + c.length == piece.size() && lead >= 0xC0 &&
                lead < 0xF8) {
                open_ = piece.substr(i);
                break;
            }
            valid_ = c.status == Utf8Status::Ok;
            i += c.length;
        }
    }
    bool Valid() const { return valid_ && open_.empty(); }

  private:
    bool valid_ = true;
    std::string open_;  // the start of a sequence the last piece cut
};

// Appends up to `bytes` bytes of the file to `buffer`; the count appended.
std::size_t ReadMore(std::ifstream& in, std::string& buffer, std::size_t bytes) {
    const std::size_t had = buffer.size();
    buffer.resize(had + bytes);
    in.read(buffer.data() + had, static_cast<std::streamsize>(bytes));
    if (in.bad()) throw std::runtime_error("text file cannot be read");
    buffer.resize(had + static_cast<std::size_t>(in.gcount()));
    return buffer.size() - had;
}

std::ifstream Open(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("text file cannot be opened: " + file.string());
    return in;
}

// The form of the file: by its mark, by its first piece when that has zero bytes, else UTF-8 when
// all of it is, else GBK.
Form FormOf(const std::filesystem::path& file, std::size_t pieceBytes) {
    std::ifstream in = Open(file);
    std::string piece;
    ReadMore(in, piece, pieceBytes);
    if (const std::optional<Form> form = FormByMark(piece)) return *form;
    if (piece.find('\0') != std::string::npos) {
        const std::optional<WideForm> wide = Utf16ByItsCharacters(piece);
        if (!wide) throw std::runtime_error("no text: " + file.string());
        return {Encoding::Wide, *wide};
    }
    Utf8Check utf8;
    do {
        utf8.Add(piece);
        piece.clear();
    } while (ReadMore(in, piece, pieceBytes) > 0);
    return {utf8.Valid() ? Encoding::Utf8 : Encoding::Gbk};
}

// What a character is to the cutting of pieces.
enum class Kind : std::uint8_t { LineBreak, NumberPart, Other };

Kind KindOf(char32_t c) {
    if (c == '\n' || c == '\r') return Kind::LineBreak;
    const bool part = (c >= '0' && c <= '9') || c == '(' || c == ')' || c == '-' || c == U'（' ||
                      c == U'）' || c == U'－';  // what number extraction reads or removes inside a number
    return part ? Kind::NumberPart : Kind::Other;
}

struct FileChar {
    Kind kind;
    std::size_t length;  // in bytes; 0 when the bytes end inside the character
};

// The character that starts at bytes[at] in the file's form.
FileChar CharAt(std::string_view bytes, std::size_t at, const Form& form) {
    const std::size_t left = bytes.size() - at;
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[at + k]); };
    switch (form.encoding) {
        case Encoding::Utf8: {  // valid throughout: the form says so
            const std::size_t n = byte(0) < 0xC0 ? 1 : byte(0) < 0xE0 ? 2 : byte(0) < 0xF0 ? 3 : 4;
            if (n > left) return {Kind::Other, 0};
            return {KindOf(DecodeUtf8(bytes.substr(at, n), 0).cp), n};
        }
        case Encoding::Gbk: {  // a lead byte and the trail byte after it, else one byte
            if (byte(0) < 0x81 || byte(0) == 0xFF) return {KindOf(byte(0)), 1};
            if (left < 2) return {Kind::Other, 0};
            const unsigned trail = byte(1), code = byte(0) << 8 | trail;
            if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return {Kind::Other, 1};
            return {code == 0xA3A8 || code == 0xA3A9 || code == 0xA3AD ? Kind::NumberPart : Kind::Other, 2};
        }
        case Encoding::Wide:
            break;
    }
    const std::size_t n = UnitBytes(form.wide);
    if (n > left) return {Kind::Other, 0};
    const char32_t unit = UnitAt(bytes, at, form.wide);
    if (n == 4 || unit < 0xD800 || unit >= 0xDC00) return {KindOf(unit), n};
    if (left < 4) return {Kind::Other, 0};  // a high surrogate goes with the unit after it
    const char32_t low = UnitAt(bytes, at + 2, form.wide);
    return {Kind::Other, low >= 0xDC00 && low < 0xE000 ? 4u : 2u};
}

// Where a piece of `bytes` (which start with a character) may end: after the last line break;
// when there is none, after the last character that cannot be part of a number; with `anywhere`,
// after the last whole character. 0 when there is no such place.
std::size_t PieceEnd(std::string_view bytes, const Form& form, bool anywhere) {
    std::size_t lineEnd = 0, otherEnd = 0, charEnd = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        const FileChar c = CharAt(bytes, at, form);
        if (c.length == 0) break;
        at += c.length;
        charEnd = at;
        if (c.kind == Kind::LineBreak) lineEnd = at;
        if (c.kind == Kind::Other) otherEnd = at;
    }
    return lineEnd ? lineEnd : otherEnd ? otherEnd : anywhere ? charEnd : 0;
}

std::string Decode(std::string_view bytes, const Form& form) {
    switch (form.encoding) {
        case Encoding::Utf8:
            return MakeGbkSafe(bytes);
        case Encoding::Gbk:
            return GbkToUtf8(bytes);
        case Encoding::Wide:
            break;
    }
    return MakeGbkSafe(WideToUtf8(bytes, form.wide));
}

}  // namespace

void ReadInputText(const std::filesystem::path& file, const TextPieceSink& sink, std::size_t pieceBytes) {
    pieceBytes = std::max<std::size_t>(4, (pieceBytes + 3) / 4 * 4);  // whole units of every form
    const Form form = FormOf(file, pieceBytes);
    std::ifstream in = Open(file);
    in.ignore(static_cast<std::streamsize>(form.markBytes));
    std::string buffer;
    for (bool end = false; !end;) {
        end = ReadMore(in, buffer, pieceBytes) < pieceBytes;
        // A run of number characters over two pieces is cut anyway: no list of numbers has one.
        const std::size_t cut = end ? buffer.size() : PieceEnd(buffer, form, buffer.size() >= 2 * pieceBytes);
        if (cut == 0) continue;  // a piece with nowhere to end goes on
        const std::string text = Decode(std::string_view(buffer).substr(0, cut), form);
        if (text.find('\0') != std::string::npos) throw std::runtime_error("no text: " + file.string());
        sink(text);
        buffer.erase(0, cut);
    }
}

}  // namespace xunda
