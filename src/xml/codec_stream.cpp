#include "xml/codec_stream.h"

#include "core/codepage.h"
#include "core/exceptions.h"
#include "xml/unicode.h"

#include <algorithm>
#include <cstring>

namespace xunda {
namespace {

struct Signature {
    unsigned char bytes[4];
    std::size_t length;
    XmlEncoding encoding;
    bool bom;
};

// Searched in this order; also gives the byte-order mark written for an encoding (its first row).
constexpr Signature kSignatures[] = {
    {{0x00, 0x00, 0xFE, 0xFF}, 4, xeUcs4Be, true},        {{0xFF, 0xFE, 0x00, 0x00}, 4, xeUcs4Le, true},
    {{0x00, 0x00, 0xFF, 0xFE}, 4, xeUcs4Order2143, true}, {{0xFE, 0xFF, 0x00, 0x00}, 4, xeUcs4Order3412, true},
    {{0xFE, 0xFF}, 2, xeUtf16Be, true},                   {{0xFF, 0xFE}, 2, xeUtf16Le, true},
    {{0xEF, 0xBB, 0xBF}, 3, xeUtf8, true},                {{0x00, 0x00, 0x00, 0x3C}, 4, xeUcs4Be, false},
    {{0x3C, 0x00, 0x00, 0x00}, 4, xeUcs4Le, false},       {{0x00, 0x00, 0x3C, 0x00}, 4, xeUcs4Order2143, false},
    {{0x00, 0x3C, 0x00, 0x00}, 4, xeUcs4Order3412, false}, {{0x00, 0x3C, 0x00, 0x3F}, 4, xeUtf16Be, false},
    {{0x3C, 0x00, 0x3F, 0x00}, 4, xeUtf16Le, false},      {{0x3C, 0x3F, 0x78, 0x6D}, 4, xe8Bit, false},
    {{0x4C, 0x6F, 0xA7, 0x94}, 4, xeEbcdic, false},
};

bool IsContinuation(char b) { return (static_cast<unsigned char>(b) & 0xC0) == 0x80; }

bool IsUnsupported(XmlEncoding e) { return e == xeUcs4Be || e == xeUcs4Order2143 || e == xeUcs4Order3412 || e == xeEbcdic; }

// Bytes of a UTF-8 sequence by its lead byte, as the codec groups them (loosely: it never rejects).
std::size_t GroupLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xF0) return 4;
    return (lead & 0x20) ? 3 : 2;
}

}  // namespace

XmlCodecStream::XmlCodecStream(Stream* stream) : stream_(stream), buffered_(dynamic_cast<XmlBufferedReadStream*>(stream)) {}

void XmlCodecStream::Unsupported() { throw EStreamError("Unsupported string encoding"); }

void XmlCodecStream::Detect() {
    accessMode_ = 1;
    if (!stream_) throw EStreamError("Encoding stream unassigned");
    unsigned char head[4] = {};
    std::size_t n = stream_->Read(head, 4);
    const Signature* found = nullptr;
    for (const Signature& row : kSignatures) {
        if (std::memcmp(head, row.bytes, std::min(n, row.length)) == 0) {
            found = &row;
            break;
        }
    }
    encoding_ = found ? found->encoding : xe8Bit;
    hasBom_ = found && found->bom;
    if (IsUnsupported(encoding_)) Unsupported();
    if (hasBom_)
        stream_->Seek(static_cast<std::int64_t>(found->length) - static_cast<std::int64_t>(n), SeekOrigin::Current);
    else
        stream_->Seek(-static_cast<std::int64_t>(n), SeekOrigin::Current);
    swapBytes_ = encoding_ == xe16BitBe || encoding_ == xeUtf16Be;
    UpdateFastRead();
}

void XmlCodecStream::SetEncoding(XmlEncoding encoding) {
    encoding_ = encoding;
    UpdateFastRead();
}

void XmlCodecStream::UpdateFastRead() {
    rawBytes_ = passBytes_ && encoding_ == xe8Bit;
    fastRead_ = accessMode_ == 1 && buffered_ && (encoding_ == xeUtf8 || rawBytes_);
    fast16_ = accessMode_ == 1 && buffered_ && Is16Bit();
    run16_.clear();
    plainFrom_ = plainEnd_ = 0;
}

std::string_view XmlCodecStream::PlainPageRun() {
    std::string_view page = buffered_->PeekPage();
    std::size_t plain = 0;
    if (rawBytes_) {
        const void* nul = page.empty() ? nullptr : std::memchr(page.data(), 0, page.size());
        plain = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - page.data()) : page.size();
    } else {
        while (plain < page.size() && static_cast<unsigned char>(page[plain] - 1) < 0x7F) ++plain;
    }
    plainFrom_ = buffered_->CurrentPosition();
    plainEnd_ = plainFrom_ + static_cast<std::int64_t>(plain);
    return page.substr(0, plain);
}

std::string_view XmlCodecStream::DecodeUtf16Run() {
    constexpr std::size_t kRunUnits = 256;
    runBase_ = buffered_->CurrentPosition();
    std::string_view page = buffered_->PeekPage();
    const auto* bytes = reinterpret_cast<const unsigned char*>(page.data());
    const std::size_t units = std::min(page.size() / 2, kRunUnits);
    run16_.resize(units);
    std::size_t n = 0;
    for (; n < units; ++n) {
        char16_t unit = UnitAt(bytes + 2 * n);
        if (unit - 1u >= 0x7Fu) break;  // not 1..127
        run16_[n] = static_cast<char>(unit);
    }
    run16_.resize(n);
    return run16_;
}

std::size_t XmlCodecStream::Read(void* buffer, std::size_t count) {
    if (accessMode_ == 0) Detect();
    if (accessMode_ != 1) throw EStreamError("Cannot read from a conversion stream opened for writing");
    if (count != 1) throw EStreamError("Cannot read multiple chars from conversion stream at once");
    char c;
    if (pendingIndex_ < pending_.size())
        c = pending_[pendingIndex_++];
    else
        c = ReadByte();
    *static_cast<char*>(buffer) = c;
    return c != 0 ? 1 : 0;
}

std::size_t XmlCodecStream::Write(const void* buffer, std::size_t count) {
    if (accessMode_ == 0) BeginWrite();
    if (accessMode_ != 2) throw EStreamError("Cannot write to an UTF stream opened for reading");
    WriteBuf(static_cast<const char*>(buffer), count);
    return count;
}

void XmlCodecStream::BeginWrite() {
    if (accessMode_ != 0) return;
    accessMode_ = 2;
    if (IsUnsupported(encoding_)) Unsupported();
    hasBom_ = false;
    for (const Signature& row : kSignatures) {
        if (row.encoding == encoding_) {
            hasBom_ = row.bom;
            if (hasBom_) WriteOut(row.bytes, row.length);
            break;
        }
    }
    swapBytes_ = encoding_ == xe16BitBe || encoding_ == xeUtf16Be;
}

std::int64_t XmlCodecStream::Seek(std::int64_t offset, SeekOrigin origin) {
    if (accessMode_ == 0) throw EStreamError("Cannot seek before reading or writing in conversion stream");
    if (origin == SeekOrigin::Current && offset == 0) return stream_->Position();
    if (origin == SeekOrigin::Current && (offset == -1 || offset == -2) && accessMode_ == 1) {
        pending_.clear();
        pendingIndex_ = 0;
        stream_->SetPosition(offset == -1 ? prevPos_ : prevPrevPos_);
        return 0;
    }
    if (origin == SeekOrigin::End && offset == 0) return stream_->Size();
    if (origin == SeekOrigin::Beginning) return 0;
    throw EStreamError("Cannot perform seek on codec stream");
}

void XmlCodecStream::StorePrevPosition() {
    prevPrevPos_ = prevPos_;
    prevPos_ = stream_->Position();
}

void XmlCodecStream::ReportLoss() {
    if (lossWarned_) return;
    lossWarned_ = true;
    if (OnLoss) OnLoss(*this);
}

bool XmlCodecStream::ReadSourceByte(unsigned char& b) {
    char c;
    bool ok = buffered_ ? buffered_->ReadByte(c) : stream_->Read(&c, 1) == 1;
    b = static_cast<unsigned char>(c);
    return ok;
}

bool XmlCodecStream::ReadUtf16Unit(char16_t& unit) {
    unsigned char b[2] = {0, 0};
    if (!ReadSourceByte(b[0])) return false;
    ReadSourceByte(b[1]);
    unit = UnitAt(b);
    return true;
}

bool XmlCodecStream::ReadUtf16CodePoint(char32_t& cp) {
    char16_t unit;
    if (!ReadUtf16Unit(unit)) return false;
    cp = unit;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        std::int64_t afterHigh = stream_->Position();
        char16_t low;
        if (ReadUtf16Unit(low) && low >= 0xDC00 && low <= 0xDFFF) {
            cp = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            return true;
        }
        stream_->SetPosition(afterHigh);
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) {
        cp = 0xFFFD;
        ReportLoss();
    }
    return true;
}

char XmlCodecStream::ReadUtf8Sequence(char lead) {
    std::string bytes(1, lead);
    for (std::size_t k = GroupLength(static_cast<unsigned char>(lead)); k > 1; --k) {
        unsigned char next;
        if (!ReadSourceByte(next)) break;
        if (!IsContinuation(static_cast<char>(next))) {  // a sequence cut short: that byte starts the next character
            if (buffered_)
                buffered_->Unread();
            else
                stream_->Seek(-1, SeekOrigin::Current);
            break;
        }
        bytes += static_cast<char>(next);
    }
    if (DecodeUtf8Sequence(bytes) == 0xFFFD) bytes = "\xEF\xBF\xBD";
    return Deliver(std::move(bytes));
}

char XmlCodecStream::Deliver(std::string bytes) {
    pending_ = std::move(bytes);
    pendingIndex_ = 1;
    return pending_.empty() ? 0 : pending_[0];
}

void XmlCodecStream::WriteOut(const void* bytes, std::size_t count) {
    if (stream_->Write(bytes, count) != count) throw EStreamError("Cannot write to output stream");
}

void XmlCodecStream::WriteUtf16(char32_t cp) {
    std::u16string units;
    AppendUtf16(units, cp);
    for (char16_t u : units) {
        unsigned char b[2];
        if (swapBytes_) {
            b[0] = static_cast<unsigned char>(u >> 8);
            b[1] = static_cast<unsigned char>(u);
        } else {
            b[0] = static_cast<unsigned char>(u);
            b[1] = static_cast<unsigned char>(u >> 8);
        }
        WriteOut(b, 2);
    }
}

// --- XmlAnsiStream: the inner form is text of the system code page ---

XmlAnsiStream::XmlAnsiStream(Stream* stream) : XmlCodecStream(stream) { passBytes_ = true; }

char XmlAnsiStream::ReadByte() {
    StorePrevPosition();
    if (encoding_ == xe8Bit || encoding_ == xeUtf8) {
        unsigned char b;
        if (!ReadSourceByte(b)) return 0;
        return b < 0x80 || encoding_ == xe8Bit ? static_cast<char>(b) : ReadUtf8Sequence(static_cast<char>(b));
    }
    if (!Is16Bit()) Unsupported();
    return ReadUtf16Character();
}

char XmlAnsiStream::DeliverCodePoint(char32_t cp) {
    bool lost;
    std::string gbk = CodePointToGbk(cp, lost);
    if (lost) ReportLoss();
    return Deliver(std::move(gbk));
}

void XmlAnsiStream::WriteChar(std::string_view gbk) {
    if (encoding_ == xeUtf8) {
        std::string utf8 = GbkToUtf8(gbk);
        WriteOut(utf8.data(), utf8.size());
        return;
    }
    std::string utf8 = GbkToUtf8(gbk);
    WriteUtf16(DecodeUtf8Sequence(utf8));
}

void XmlAnsiStream::WriteBuf(const char* buffer, std::size_t count) {
    if (encoding_ == xe8Bit) {
        WriteOut(buffer, count);
        return;
    }
    if (encoding_ != xeUtf8 && !Is16Bit()) Unsupported();
    for (std::size_t i = 0; i < count; ++i) WriteByte(buffer[i]);
}

void XmlAnsiStream::WriteByte(char c) {
    unsigned char b = static_cast<unsigned char>(c);
    if (!partial_.empty()) {  // a lead byte waits for its second byte
        char lead = partial_[0];
        partial_.clear();
        if (IsGbkTrailByte(b)) {
            char pair[2] = {lead, c};
            WriteChar(std::string_view(pair, 2));
            return;
        }
        WriteChar("?");
        ReportLoss();
    }
    if (b < 0x80) {
        if (encoding_ == xeUtf8)
            WriteOut(&c, 1);
        else
            WriteUtf16(b);
    } else if (IsGbkLeadByte(b)) {
        partial_.assign(1, c);
    } else {
        WriteChar(std::string_view(&c, 1));
    }
}

// --- XmlUtf8Stream: the inner form is UTF-8 ---

XmlUtf8Stream::XmlUtf8Stream(Stream* stream) : XmlCodecStream(stream) {}

char XmlUtf8Stream::ReadByte() {
    StorePrevPosition();
    unsigned char b;
    switch (encoding_) {
        case xe8Bit: {
            if (!ReadSourceByte(b)) return Deliver({});
            if (b < 0x80) return Deliver(std::string(1, static_cast<char>(b)));
            std::string gbk(1, static_cast<char>(b));
            if (IsGbkLeadByte(b)) {
                unsigned char trail;
                if (ReadSourceByte(trail)) {
                    if (IsGbkTrailByte(trail))
                        gbk += static_cast<char>(trail);
                    else
                        stream_->Seek(-1, SeekOrigin::Current);
                }
            }
            std::string utf8 = GbkToUtf8(gbk);
            if (utf8 == "?") ReportLoss();
            return Deliver(std::move(utf8));
        }
        case xeUtf8:
            if (!ReadSourceByte(b)) return Deliver({});
            return ReadUtf8Sequence(static_cast<char>(b));
        default:
            if (!Is16Bit()) Unsupported();
            return ReadUtf16Character();
    }
}

char XmlUtf8Stream::DeliverCodePoint(char32_t cp) {
    std::string utf8;
    AppendUtf8(utf8, cp);
    return Deliver(std::move(utf8));
}

void XmlUtf8Stream::WriteBuf(const char* buffer, std::size_t count) {
    if (encoding_ == xeUtf8) {
        WriteOut(buffer, count);
        return;
    }
    if (encoding_ != xe8Bit && !Is16Bit()) Unsupported();
    for (std::size_t i = 0; i < count; ++i) WriteByte(buffer[i]);
}

void XmlUtf8Stream::WriteByte(char c) {
    if (!partial_.empty() && !IsContinuation(c)) {  // a sequence cut short
        partial_.clear();
        WriteCodePoint(0xFFFD);
    }
    partial_ += c;
    if (partial_.size() < GroupLength(static_cast<unsigned char>(partial_[0]))) return;
    char32_t cp = DecodeUtf8Sequence(partial_);
    partial_.clear();
    WriteCodePoint(cp);
}

void XmlUtf8Stream::WriteCodePoint(char32_t cp) {
    if (encoding_ != xe8Bit) {
        WriteUtf16(cp);
        return;
    }
    bool lost;
    std::string gbk = CodePointToGbk(cp, lost);
    if (lost) ReportLoss();
    WriteOut(gbk.data(), gbk.size());
}

}  // namespace xunda
