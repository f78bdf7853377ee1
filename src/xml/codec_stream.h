// Codec streams: between the document's 8-bit characters and the external encoding of a source or
// target. Reading detects the encoding from the first bytes and delivers one character byte per
// Read; writing puts the encoding's byte-order mark first and converts what it is given.
//
// XmlAnsiStream serves documents whose strings are text of the system code page (GBK);
// XmlUtf8Stream serves documents whose strings are UTF-8.
#pragma once

#include "core/stream.h"
#include "xml/buffered_stream.h"

#include <cstdint>
#include <functional>
#include <string>

namespace xunda {

enum XmlEncoding : std::uint8_t {
    xe8Bit = 0,
    xeUcs4Be = 1,
    xeUcs4Le = 2,
    xeUcs4Order2143 = 3,
    xeUcs4Order3412 = 4,
    xe16BitBe = 5,
    xe16BitLe = 6,
    xeUtf8 = 7,
    xeUtf16Be = 8,
    xeUtf16Le = 9,
    xeEbcdic = 10,
};

class XmlCodecStream : public Stream {
public:
    // The underlying stream is not owned.
    explicit XmlCodecStream(Stream* stream);

    // count must be 1: one byte of the inner form, 1 when it came, 0 at the end of the data (or at a
    // NUL character). The first read detects the encoding.
    std::size_t Read(void* buffer, std::size_t count) override;
    // Converts count bytes of the inner form; the first write puts the byte-order mark first.
    std::size_t Write(const void* buffer, std::size_t count) override;
    // Position and size are the underlying stream's; -1 and -2 go back one or two characters.
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    // Read(&c, 1) == 1, without the call chain where the source is buffered.
    bool ReadChar(char& c) {
        if (pendingIndex_ < pending_.size()) {
            c = pending_[pendingIndex_++];
            return c != 0;
        }
        if (!fastRead_ && !fast16_) return Read(&c, 1) == 1;
        prevPrevPos_ = prevPos_;
        prevPos_ = buffered_->CurrentPosition();
        if (fast16_) {
            c = ReadUtf16Character();
            return c != 0;
        }
        if (!buffered_->ReadByte(c)) return false;
        if (static_cast<unsigned char>(c) < 0x80 || rawBytes_) return c != 0;
        c = ReadUtf8Sequence(c);
        return true;
    }

    // Characters that may be taken without a Read each, while reading from a buffered source: the
    // rest of the page when bytes pass through, else a stretch of plain ASCII characters; empty
    // otherwise. A run holds no 0 byte (the end of the data for a reader) and, unless bytes pass
    // through unchanged, no byte of 128 or more: each of its bytes is a character by itself.
    std::string_view PeekRun() {
        if (pendingIndex_ < pending_.size()) return {};
        if (fast16_) {
            std::int64_t offset = buffered_->CurrentPosition() - runBase_;
            if (offset >= 0 && offset % 2 == 0 && static_cast<std::uint64_t>(offset / 2) < run16_.size())
                return std::string_view(run16_).substr(static_cast<std::size_t>(offset / 2));
            return DecodeUtf16Run();
        }
        if (!fastRead_) return {};
        std::string_view page = buffered_->PeekPage();
        std::int64_t position = buffered_->CurrentPosition();
        if (page.empty() || position < plainFrom_ || position >= plainEnd_) return PlainPageRun();
        return page.substr(0, static_cast<std::size_t>(plainEnd_ - position));
    }
    // Takes count (at least 1) characters of the run last peeked, as count reads would.
    void TakeRun(std::size_t count) {
        std::int64_t width = fast16_ ? 2 : 1;
        std::int64_t end = buffered_->CurrentPosition() + width * static_cast<std::int64_t>(count);
        prevPrevPos_ = count >= 2 ? end - 2 * width : prevPos_;
        prevPos_ = end - width;
        buffered_->Skip(static_cast<std::size_t>(width) * count);
    }

    XmlEncoding Encoding() const { return encoding_; }
    // Set before the first write, or switched while reading (8-bit to UTF-8 by a declaration).
    void SetEncoding(XmlEncoding encoding);
    bool HasBom() const { return hasBom_; }
    bool LossWarned() const { return lossWarned_; }
    // Makes the stream a writing one and writes the byte-order mark; the first Write does it too.
    void BeginWrite();

    // Fired once, at the first character that the target form cannot hold (it becomes "?").
    std::function<void(XmlCodecStream&)> OnLoss;

protected:
    // One byte of the inner form, 0 at the end.
    virtual char ReadByte() = 0;
    // Converts and writes one byte of the inner form (a character may take several).
    virtual void WriteByte(char c) = 0;
    virtual void WriteBuf(const char* buffer, std::size_t count) = 0;

    void StorePrevPosition();
    void ReportLoss();
    // The next byte of the source; false at its end.
    bool ReadSourceByte(unsigned char& b);
    // Reads the rest of the UTF-8 sequence that `lead` opens and delivers it, or U+FFFD for an
    // overlong form, an encoded surrogate or a sequence cut short; returns its first byte.
    char ReadUtf8Sequence(char lead);
    // The 16-bit unit whose two bytes start at p, in the source's byte order: every 16-bit reading
    // goes through here.
    char16_t UnitAt(const unsigned char* p) const {
        return static_cast<char16_t>(swapBytes_ ? p[0] << 8 | p[1] : p[1] << 8 | p[0]);
    }
    // The next unit of a 16-bit source (a missing second byte counts as 0); false at the end.
    bool ReadUtf16Unit(char16_t& unit);
    // A character of a 16-bit source (a surrogate pair joined); false at the end. A lone surrogate
    // gives U+FFFD and reports a loss.
    bool ReadUtf16CodePoint(char32_t& cp);
    // The next character of a 16-bit source: its first byte in the inner form (0 at the end), the
    // others pending.
    char ReadUtf16Character() {
        char32_t cp;
        if (!ReadUtf16CodePoint(cp)) return 0;
        return cp < 0x80 ? static_cast<char>(cp) : DeliverCodePoint(cp);
    }
    // Delivers a character beyond ASCII in the inner form; returns its first byte.
    virtual char DeliverCodePoint(char32_t cp) = 0;
    // Starts delivering `bytes` (the character read): returns its first byte.
    char Deliver(std::string bytes);
    // Writes all of it or raises "Cannot write to output stream".
    void WriteOut(const void* bytes, std::size_t count);
    void WriteUtf16(char32_t cp);
    [[noreturn]] static void Unsupported();
    bool Is16Bit() const { return encoding_ == xe16BitBe || encoding_ == xe16BitLe || encoding_ == xeUtf16Be || encoding_ == xeUtf16Le; }

    // The bytes of the character being delivered while reading, and the next one to deliver.
    std::string pending_;
    std::size_t pendingIndex_ = 0;
    // The bytes of a character not yet complete while writing.
    std::string partial_;
    XmlEncoding encoding_ = xe8Bit;
    int accessMode_ = 0;  // 0 unused, 1 reading, 2 writing
    std::int64_t prevPos_ = 0;
    std::int64_t prevPrevPos_ = 0;
    Stream* stream_;
    bool swapBytes_ = false;
    bool lossWarned_ = false;
    bool hasBom_ = false;
    // Bytes of an 8-bit source reach the reader unchanged (XmlAnsiStream).
    bool passBytes_ = false;

private:
    void Detect();
    void UpdateFastRead();
    // PeekRun after searching the page held from the position on.
    std::string_view PlainPageRun();
    // PeekRun of a 16-bit source: the ASCII characters of the page from the position on.
    std::string_view DecodeUtf16Run();

    XmlBufferedReadStream* buffered_ = nullptr;
    bool fastRead_ = false;  // 8-bit or UTF-8 characters straight from the buffer
    bool fast16_ = false;    // 16-bit characters straight from the buffer
    // The decoded 16-bit run: run16_[i] is the character at source position runBase_ + 2 i.
    std::string run16_;
    std::int64_t runBase_ = 0;
    bool rawBytes_ = false;  // every byte passes through unchanged
    // Source positions [plainFrom_, plainEnd_) of the page held whose bytes are characters by
    // themselves, so that a page is searched for the first other byte once, not at every run.
    std::int64_t plainFrom_ = 0;
    std::int64_t plainEnd_ = 0;
};

class XmlAnsiStream : public XmlCodecStream {
public:
    explicit XmlAnsiStream(Stream* stream);

protected:
    char ReadByte() override;
    char DeliverCodePoint(char32_t cp) override;
    void WriteByte(char c) override;
    void WriteBuf(const char* buffer, std::size_t count) override;

private:
    void WriteChar(std::string_view gbk);
};

class XmlUtf8Stream : public XmlCodecStream {
public:
    explicit XmlUtf8Stream(Stream* stream);

protected:
    char ReadByte() override;
    char DeliverCodePoint(char32_t cp) override;
    void WriteByte(char c) override;
    void WriteBuf(const char* buffer, std::size_t count) override;

private:
    void WriteCodePoint(char32_t cp);
};

// Reads characters from a stream, delivering first what the parser gave back.
class XmlSurplusReader {
public:
    explicit XmlSurplusReader(Stream& stream) : XmlSurplusReader(stream, dynamic_cast<XmlCodecStream*>(&stream)) {}
    // `codec` is the stream when it is a codec stream, else nullptr.
    XmlSurplusReader(Stream& stream, XmlCodecStream* codec) : stream_(stream), codec_(codec) {}

    bool ReadChar(char& c) {
        if (!Surplus.empty()) {
            c = Surplus.front();
            Surplus.erase(0, 1);
            return true;
        }
        return ReadFromStream(c);
    }
    // Skips tabs, line feeds, carriage returns and blanks; false when the data ends first.
    bool ReadCharSkipBlanks(char& c) {
        do {
            if (!ReadChar(c)) return false;
        } while (c == '\t' || c == '\n' || c == '\r' || c == ' ');
        return true;
    }
    // One character from the stream itself, past the surplus.
    bool ReadFromStream(char& c) { return codec_ ? codec_->ReadChar(c) : stream_.Read(&c, 1) == 1; }
    // Characters of the stream that may be taken at once (see XmlCodecStream::PeekRun); empty while
    // characters are given back.
    std::string_view PeekRun() const { return codec_ && Surplus.empty() ? codec_->PeekRun() : std::string_view(); }
    void TakeRun(std::size_t count) { codec_->TakeRun(count); }

    // Characters given back, delivered before the stream's own.
    std::string Surplus;

private:
    Stream& stream_;
    XmlCodecStream* codec_;
};

}  // namespace xunda
