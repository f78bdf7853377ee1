// Reading side of the codec streams: the source is decoded piece by piece into the inner form,
// once, and the reader takes its characters from there. Each byte of the decoded text knows where
// its character ends in the source, which gives the position and the way back by characters.
#include <bit>
#include <cstring>

#include "core/codepage.h"
#include "core/exceptions.h"
#include "xml/codec_stream.h"

namespace xunda {
namespace {

constexpr std::size_t kPiece = 65536;
// Bytes kept before the position when a piece is dropped: two characters of up to four bytes.
constexpr std::size_t kKeep = 8;

// The end of the run of ASCII bytes from i on, eight bytes at a time.
std::size_t AsciiEnd(std::string_view raw, std::size_t i) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    for (std::uint64_t word; i + 8 <= raw.size(); i += 8) {
        std::memcpy(&word, raw.data() + i, 8);
        if (word & kHighBits) break;
    }
    while (i < raw.size() && static_cast<unsigned char>(raw[i]) < 0x80) ++i;
    return i;
}

// The end of the run of whole 16-bit units below 0x80 from i on, four units at a time: the mask
// holds the bits that must be clear in each unit, read as bytes in memory order.
std::size_t AsciiUnitsEnd(std::string_view raw, std::size_t i, bool swapBytes) {
    static_assert(std::endian::native == std::endian::little);
    const std::uint64_t mask = swapBytes ? 0x80FF80FF80FF80FFu : 0xFF80FF80FF80FF80u;
    for (std::uint64_t word; i + 8 <= raw.size(); i += 8) {
        std::memcpy(&word, raw.data() + i, 8);
        if (word & mask) break;
    }
    const std::size_t high = swapBytes ? 0 : 1, low = 1 - high;
    while (i + 1 < raw.size() && raw[i + high] == 0 && static_cast<unsigned char>(raw[i + low]) < 0x80)
        i += 2;
    return i;
}

}  // namespace

bool XmlCodecStream::Decode() {
    if (accessMode_ == 0) Detect();
    if (accessMode_ != 1) throw EStreamError("Cannot read from a conversion stream opened for writing");
    ReportDeliveredLoss();
    while (pos_ >= text_.size()) {
        if (sourceEnded_ && raw_.empty()) return false;
        DropDelivered();
        const std::size_t held = raw_.size();
        raw_.resize(held + kPiece);
        const std::size_t got = sourceEnded_ ? 0 : stream_->Read(raw_.data() + held, kPiece);
        raw_.resize(held + got);
        sourceEnded_ = got == 0;
        const std::size_t used = DecodeRaw(std::string_view(raw_.data(), raw_.size()), sourceEnded_);
        raw_.EraseFront(used);
        rawStart_ += static_cast<std::int64_t>(used);
    }
    nul_ = FindNul(pos_);
    return true;
}

void XmlCodecStream::DropDelivered() {
    std::size_t from = CharStart(pos_ > kKeep ? pos_ - kKeep : 0);
    const std::int64_t firstStart = EndOf(static_cast<std::ptrdiff_t>(from) - 1);
    const std::int64_t shift = base_ - rawStart_;
    for (std::size_t i = from; i < ends_.size(); ++i)
        ends_[i - from] = static_cast<std::int32_t>(ends_[i] + shift);
    ends_.resize(ends_.size() - from);
    text_.EraseFront(from);
    pos_ -= from;
    if (lossAt_ != std::string::npos) lossAt_ -= from;
    base_ = rawStart_;
    firstStart_ = static_cast<std::int32_t>(firstStart - base_);
}

std::size_t XmlCodecStream::FindNul(std::size_t from) const {
    const void* nul =
        from < text_.size() ? std::memchr(text_.data() + from, 0, text_.size() - from) : nullptr;
    return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text_.data()) : text_.size();
}

void XmlCodecStream::Put(std::string_view bytes, std::size_t end) {
    text_.append(bytes.data(), bytes.size());
    ends_.append(bytes.size(), static_cast<std::int32_t>(rawStart_ - base_ + static_cast<std::int64_t>(end)));
}

void XmlCodecStream::PutCodePoint(char32_t cp, std::size_t end) {
    std::string bytes;
    if (utf8Inner_ || cp < 0x80) {
        AppendUtf8(bytes, cp);
    } else {
        bool lost;
        bytes = CodePointToGbk(cp, lost);
        if (lost) NoteLoss();
    }
    Put(bytes, end);
}

std::size_t XmlCodecStream::DecodeRaw(std::string_view raw, bool last) {
    text_.reserve(text_.size() + raw.size());
    ends_.reserve(ends_.size() + raw.size());
    if (encoding_ == xeUtf8 || (encoding_ == xe8Bit && !utf8Inner_)) return DecodeUtf8Source(raw, last);
    if (encoding_ == xe8Bit) return Decode8Bit(raw, last);
    if (Is16Bit()) return Decode16Bit(raw, last);
    Unsupported();
}

void XmlCodecStream::PutOneByteRun(std::string_view raw, std::size_t from, std::size_t to) {
    const std::size_t at = ends_.size();
    text_.append(raw.data() + from, to - from);
    ends_.resize(at + to - from);
    std::int32_t end = static_cast<std::int32_t>(rawStart_ - base_) +
                       static_cast<std::int32_t>(from);  // counted in 32 bits: four a step
    for (std::int32_t *out = ends_.data() + at, *stop = ends_.data() + ends_.size(); out < stop; ++out)
        *out = ++end;
}

template <typename Other>
std::size_t XmlCodecStream::DecodeWithAsciiRuns(std::string_view raw, Other other) {
    std::size_t i = 0;
    while (i < raw.size()) {
        if (const std::size_t plain = AsciiEnd(raw, i); plain > i) {
            PutOneByteRun(raw, i, plain);
            i = plain;
            continue;
        }
        const std::size_t taken = other(i);
        if (taken == 0) break;  // the rest comes with the next piece
        i += taken;
    }
    return i;
}

// UTF-8 (a bad sequence as U+FFFD), or 8-bit bytes taken as they are by the code-page form.
std::size_t XmlCodecStream::DecodeUtf8Source(std::string_view raw, bool last) {
    if (encoding_ == xe8Bit) {
        PutOneByteRun(raw, 0, raw.size());
        return raw.size();
    }
    return DecodeWithAsciiRuns(raw, [&](std::size_t i) -> std::size_t {
        const Utf8Char c = DecodeUtf8(raw, i);
        if (c.status == Utf8Status::Malformed && i + c.length == raw.size() && !last) return 0;
        Put(c.status == Utf8Status::Ok ? raw.substr(i, c.length) : std::string_view("\xEF\xBF\xBD"),
            i + c.length);
        return c.length;
    });
}

// GBK bytes into UTF-8: a lead byte takes the trail byte after it.
std::size_t XmlCodecStream::Decode8Bit(std::string_view raw, bool last) {
    return DecodeWithAsciiRuns(raw, [&](std::size_t i) -> std::size_t {
        std::size_t n = 1;
        if (IsGbkLeadByte(static_cast<unsigned char>(raw[i]))) {
            if (i + 1 == raw.size() && !last) return 0;
            if (i + 1 < raw.size() && IsGbkTrailByte(static_cast<unsigned char>(raw[i + 1]))) n = 2;
        }
        const std::string utf8 = GbkToUtf8(raw.substr(i, n));
        if (utf8 == "?") NoteLoss();
        Put(utf8, i + n);
        return n;
    });
}

// 16-bit units in the source's byte order (a missing last byte counts as 0); a surrogate pair is
// one character, a lone surrogate U+FFFD and a loss.
std::size_t XmlCodecStream::Decode16Bit(std::string_view raw, bool last) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(raw.data());
    auto unitAt = [&](std::size_t i) -> char16_t {
        unsigned char b0 = bytes[i], b1 = i + 1 < raw.size() ? bytes[i + 1] : 0;
        return static_cast<char16_t>(swapBytes_ ? b0 << 8 | b1 : b1 << 8 | b0);
    };
    const std::size_t low = swapBytes_ ? 1 : 0;  // the byte of a unit that holds a character below 0x80
    const std::int32_t offset = static_cast<std::int32_t>(rawStart_ - base_);
    std::size_t i = 0;
    while (i < raw.size()) {
        const std::size_t plain = AsciiUnitsEnd(raw, i, swapBytes_);  // units below 0x80: one byte each
        if (plain > i) {
            const std::size_t at = text_.size();
            const std::size_t count = (plain - i) / 2;
            text_.resize(at + count);
            ends_.resize(at + count);
            char* out = text_.data() + at;
            std::int32_t* outEnds = ends_.data() + at;
            for (std::size_t k = 0; k < count; ++k, i += 2) {
                out[k] = static_cast<char>(bytes[i + low]);
                outEnds[k] = offset + static_cast<std::int32_t>(i + 2);
            }
            continue;
        }
        if (i + 1 == raw.size() && !last) break;
        const char16_t unit = unitAt(i);
        if (unit < 0x80) {  // a last unit missing its second byte
            const char c = static_cast<char>(unit);
            Put(std::string_view(&c, 1), raw.size());
            i = raw.size();
            continue;
        }
        char16_t units[2] = {unit, 0};
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 4 > raw.size() && !last) break;
            if (i + 3 < raw.size()) units[1] = unitAt(i + 2);
        }
        Utf16Char c = DecodeUtf16(std::u16string_view(units, units[1] ? 2 : 1), 0);
        if (c.lone) NoteLoss();
        i = std::min(i + 2 * c.length, raw.size());
        PutCodePoint(c.lone ? 0xFFFD : c.cp, i);
    }
    return i;
}

}  // namespace xunda
