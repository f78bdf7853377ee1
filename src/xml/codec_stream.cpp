#include "xml/codec_stream.h"

#include <algorithm>
#include <cstring>

#include "core/codepage.h"
#include "core/exceptions.h"

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
    {{0x00, 0x00, 0xFE, 0xFF}, 4, xeUcs4Be, true},
    {{0xFF, 0xFE, 0x00, 0x00}, 4, xeUcs4Le, true},
    {{0x00, 0x00, 0xFF, 0xFE}, 4, xeUcs4Order2143, true},
    {{0xFE, 0xFF, 0x00, 0x00}, 4, xeUcs4Order3412, true},
    {{0xFE, 0xFF}, 2, xeUtf16Be, true},
    {{0xFF, 0xFE}, 2, xeUtf16Le, true},
    {{0xEF, 0xBB, 0xBF}, 3, xeUtf8, true},
    {{0x00, 0x00, 0x00, 0x3C}, 4, xeUcs4Be, false},
    {{0x3C, 0x00, 0x00, 0x00}, 4, xeUcs4Le, false},
    {{0x00, 0x00, 0x3C, 0x00}, 4, xeUcs4Order2143, false},
    {{0x00, 0x3C, 0x00, 0x00}, 4, xeUcs4Order3412, false},
    {{0x00, 0x3C, 0x00, 0x3F}, 4, xeUtf16Be, false},
    {{0x3C, 0x00, 0x3F, 0x00}, 4, xeUtf16Le, false},
    {{0x3C, 0x3F, 0x78, 0x6D}, 4, xe8Bit, false},
    {{0x4C, 0x6F, 0xA7, 0x94}, 4, xeEbcdic, false},
};

bool IsUnsupported(XmlEncoding e) {
    return e == xeUcs4Be || e == xeUcs4Order2143 || e == xeUcs4Order3412 || e == xeEbcdic;
}

}  // namespace

XmlCodecStream::XmlCodecStream(Stream* stream) : stream_(stream) {}

void XmlCodecStream::Unsupported() {
    throw EStreamError("Unsupported string encoding");
}

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
        stream_->Seek(static_cast<std::int64_t>(found->length) - static_cast<std::int64_t>(n),
                      SeekOrigin::Current);
    else
        stream_->Seek(-static_cast<std::int64_t>(n), SeekOrigin::Current);
    swapBytes_ = encoding_ == xe16BitBe || encoding_ == xeUtf16Be;
    base_ = rawStart_ = stream_->Position();
}

void XmlCodecStream::SetEncoding(XmlEncoding encoding) {
    encoding_ = encoding;
    if (accessMode_ != 1) return;
    std::size_t end = pos_;  // the rest of the current character stays as it was decoded
    while (end > 0 && end < text_.size() && ends_[end] == ends_[end - 1]) ++end;
    rawStart_ = EndOf(static_cast<std::ptrdiff_t>(end) - 1);
    text_.resize(end);
    ends_.resize(end);
    if (lossAt_ >= end) lossAt_ = std::string::npos;
    nul_ = FindNul(pos_);
    raw_.clear();
    sourceEnded_ = false;
    stream_->SetPosition(rawStart_);
}

std::size_t XmlCodecStream::Read(void* buffer, std::size_t count) {
    if (accessMode_ == 0) Detect();
    if (accessMode_ != 1) throw EStreamError("Cannot read from a conversion stream opened for writing");
    if (count != 1) throw EStreamError("Cannot read multiple chars from conversion stream at once");
    if (pos_ >= text_.size() && !Decode()) return 0;
    char c = text_[pos_++];
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
    if (origin == SeekOrigin::Current && offset == 0) {
        if (accessMode_ != 1) return stream_->Position();
        ReportDeliveredLoss();
        return EndOf(static_cast<std::ptrdiff_t>(pos_) - 1);
    }
    if (origin == SeekOrigin::Current && (offset == -1 || offset == -2) && accessMode_ == 1) {
        const std::size_t from = pos_;
        for (std::int64_t k = offset; k < 0; ++k) Back();
        for (std::size_t i = from; i-- > pos_;)  // a NUL gone back over ends the data again
            if (text_[i] == 0) nul_ = i;
        return 0;
    }
    if (origin == SeekOrigin::End && offset == 0) return stream_->Size();
    if (origin == SeekOrigin::Beginning) return 0;
    throw EStreamError("Cannot perform seek on codec stream");
}

void XmlCodecStream::ReportLoss() {
    lossAt_ = std::string::npos;
    if (lossWarned_) return;
    lossWarned_ = true;
    if (OnLoss) OnLoss(*this);
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

XmlAnsiStream::XmlAnsiStream(Stream* stream) : XmlCodecStream(stream) {}

void XmlAnsiStream::WriteChar(std::string_view gbk) {
    if (encoding_ == xeUtf8) {
        std::string utf8 = GbkToUtf8(gbk);
        WriteOut(utf8.data(), utf8.size());
        return;
    }
    WriteUtf16(DecodeUtf8(GbkToUtf8(gbk), 0).cp);
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

XmlUtf8Stream::XmlUtf8Stream(Stream* stream) : XmlCodecStream(stream) {
    utf8Inner_ = true;
}

void XmlUtf8Stream::WriteBuf(const char* buffer, std::size_t count) {
    if (encoding_ == xeUtf8) {
        WriteOut(buffer, count);
        return;
    }
    if (encoding_ != xe8Bit && !Is16Bit()) Unsupported();
    partial_.append(buffer, count);
    std::size_t i = 0;
    while (i < partial_.size()) {
        Utf8Char c = DecodeUtf8(partial_, i);
        if (c.status == Utf8Status::Malformed && i + c.length == partial_.size())
            break;             // the rest comes with the next write
        WriteCodePoint(c.cp);  // U+FFFD for a bad sequence
        i += c.length;
    }
    partial_.erase(0, i);
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
