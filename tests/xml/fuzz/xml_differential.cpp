#include "xml_differential.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/exceptions.h"
#include "core/unicode.h"
#include "xml/codec_stream.h"
#include "xml/document.h"

namespace xunda::test {
namespace {

// Gives at most `most` bytes a read, after the first read (the codec's detection takes its 4 bytes at once).
struct Trickle : MemoryStream {
    std::size_t most = 1;
    bool first = true;
    std::size_t Read(void* buffer, std::size_t count) override {
        const std::size_t n = MemoryStream::Read(buffer, first ? count : std::min(count, most));
        first = false;
        return n;
    }
};

// What the codec delivers, with its position after each character and a seek back at each "<".
std::string Trace(Stream& source, bool utf8Inner) {
    std::unique_ptr<XmlCodecStream> codec;
    if (utf8Inner)
        codec = std::make_unique<XmlUtf8Stream>(&source);
    else
        codec = std::make_unique<XmlAnsiStream>(&source);
    std::string trace;
    try {
        std::int64_t seekedAt = -1;  // once at each "<"
        for (char c; trace.size() < 1 << 16;) {
            const bool got = codec->Read(&c, 1) == 1;
            trace += c;
            trace += std::to_string(codec->Position()) + ",";
            if (!got && codec->Position() >= codec->Size()) break;
            if (c == '<' && codec->Position() > seekedAt) {
                seekedAt = codec->Position();
                codec->Seek(trace.size() % 2 ? -1 : -2, SeekOrigin::Current);
                trace += '^';
                trace += std::to_string(codec->Position());
            }
        }
    } catch (const Exception& e) {
        trace += e.what();
    }
    return trace;
}

// The tree a document reads (UTF-8 strings), or the error it raises.
std::string TreeOrError(const std::function<void(XmlDocument&)>& read) {
    XmlDocument doc;
    doc.Utf8Strings = true;
    try {
        read(doc);
    } catch (const Exception& e) {
        return e.what();
    }
    return doc.WriteToString();
}

std::string Load(std::string_view bytes) {
    ViewStream body(bytes);
    return TreeOrError([&](XmlDocument& doc) { doc.LoadFromStream(body); });
}

std::string Read(const std::string& text) {
    return TreeOrError([&](XmlDocument& doc) { doc.ReadFromString(text); });
}

std::string Utf16Bytes(std::u16string_view units, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : units) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

}  // namespace

std::string DifferentialMismatch(std::string_view input) {
    if (input.empty()) return {};
    const auto selector = static_cast<unsigned char>(input[0]);
    const std::string_view bytes = input.substr(1);
    MemoryStream whole;
    Trickle trickle;
    for (MemoryStream* s : {static_cast<MemoryStream*>(&whole), static_cast<MemoryStream*>(&trickle)}) {
        s->Write(bytes.data(), bytes.size());
        s->SetPosition(0);
    }
    trickle.most = 1 + (selector >> 1) % 7;
    if (Trace(whole, selector & 1) != Trace(trickle, selector & 1)) return "the codec over pieces";

    const std::u16string units = Utf8ToUtf16(bytes, BadInput::Replace);
    if (units.empty() || units[0] == 0) return {};  // a UTF-16 mark alone or before a NUL reads as UCS-4
    const std::string text = Utf16ToUtf8(units, BadInput::Replace);
    const std::string utf8 = Load("\xEF\xBB\xBF" + text);
    if (text.find('\0') == std::string::npos && utf8 != Read(text))  // the codec ends the data at a NUL
        return "the load and the read without a codec: " + utf8 + " | " + Read(text);
    if (utf8 != Load(Utf16Bytes(units, false))) return "UTF-8 and UTF-16LE";
    if (utf8 != Load(Utf16Bytes(units, true))) return "UTF-8 and UTF-16BE";
    return {};
}

}  // namespace xunda::test
