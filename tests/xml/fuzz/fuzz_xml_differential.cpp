// Differential check of the reading side on arbitrary bytes; the first byte picks the inner form
// and a piece size. Two ways that must agree, else the target stops:
//  - the codec over the whole source and over a source that gives a few bytes per read (every
//    character cut by a piece boundary somewhere): the same characters, positions and seeks back;
//  - a document loaded from the bytes as UTF-8 and as UTF-16 in either byte order, each with its
//    mark, and read from the UTF-8 text by a parser without a codec (character by character,
//    never from decoded runs): the same tree, or the same error.
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "core/exceptions.h"
#include "core/unicode.h"
#include "xml/codec_stream.h"
#include "xml/document.h"

namespace {

using namespace xunda;

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

void Check(bool same) {
    if (!same) std::abort();
}

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
                trace += "^" + std::to_string(codec->Position());
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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    MemoryStream whole;
    Trickle trickle;
    for (MemoryStream* s : {static_cast<MemoryStream*>(&whole), static_cast<MemoryStream*>(&trickle)}) {
        s->Write(bytes.data(), bytes.size());
        s->SetPosition(0);
    }
    trickle.most = 1 + (data[0] >> 1) % 7;
    Check(Trace(whole, data[0] & 1) == Trace(trickle, data[0] & 1));

    const std::u16string units = Utf8ToUtf16(bytes, BadInput::Replace);
    if (units.empty() || units[0] == 0) return 0;  // a UTF-16 mark alone or before a NUL reads as UCS-4
    const std::string text = Utf16ToUtf8(units, BadInput::Replace);
    const std::string utf8 = Load("\xEF\xBB\xBF" + text);
    if (text.find('\0') == std::string::npos) Check(utf8 == Read(text));  // the codec ends the data at a NUL
    Check(utf8 == Load(Utf16Bytes(units, false)));
    Check(utf8 == Load(Utf16Bytes(units, true)));
    return 0;
}
