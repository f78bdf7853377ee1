// Codec streams: between the document's 8-bit characters and the external encoding of a source or
// target. Reading detects the encoding from the first bytes, decodes the source once, piece by
// piece, into the inner form and delivers it one byte per Read (or in runs to the parser); writing
// puts the encoding's byte-order mark first and converts what it is given.
//
// XmlAnsiStream serves documents whose strings are text of the system code page (GBK);
// XmlUtf8Stream serves documents whose strings are UTF-8.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/stream.h"
#include "xml/uninitialized_buffer.h"

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

    // Read(&c, 1) == 1, without the call where the text is decoded already.
    bool ReadChar(char& c) {
        if (pos_ < text_.size()) {
            c = text_[pos_++];
            return c != 0;
        }
        return Read(&c, 1) == 1;
    }
    // The decoded characters from the position on, up to a NUL (the end of the data for a reader)
    // or the end of what is decoded; empty at the end of the data.
    std::string_view PeekRun() {
        if (pos_ >= text_.size() && !Decode()) return {};
        if (nul_ < pos_) nul_ = FindNul(pos_);
        return std::string_view(text_.data() + pos_, nul_ - pos_);
    }
    // Takes count bytes of the run last peeked, as count reads would.
    void TakeRun(std::size_t count) { pos_ += count; }
    // Goes back before the last character read, as a seek of -1 does.
    void Back() {
        if (pos_ > 0) pos_ = CharStart(pos_ - 1);
    }

    XmlEncoding Encoding() const { return encoding_; }
    // Set before the first write, or switched while reading (8-bit to UTF-8 by a declaration): the
    // characters after the current one are decoded again.
    void SetEncoding(XmlEncoding encoding);
    bool HasBom() const { return hasBom_; }
    bool LossWarned() const { return lossWarned_; }
    // Makes the stream a writing one and writes the byte-order mark; the first Write does it too.
    void BeginWrite();

    // Fired once, at the first character that the target form cannot hold (it becomes "?").
    std::function<void(XmlCodecStream&)> OnLoss;

  protected:
    // Converts and writes bytes of the inner form (a character may take several).
    virtual void WriteBuf(const char* buffer, std::size_t count) = 0;

    void ReportLoss();
    // Writes all of it or raises "Cannot write to output stream".
    void WriteOut(const void* bytes, std::size_t count);
    void WriteUtf16(char32_t cp);
    [[noreturn]] static void Unsupported();
    bool Is16Bit() const {
        return encoding_ == xe16BitBe || encoding_ == xe16BitLe || encoding_ == xeUtf16Be ||
               encoding_ == xeUtf16Le;
    }

    // The bytes of a character not yet complete while writing.
    std::string partial_;
    XmlEncoding encoding_ = xe8Bit;
    int accessMode_ = 0;  // 0 unused, 1 reading, 2 writing
    Stream* stream_;
    bool swapBytes_ = false;
    bool lossWarned_ = false;
    bool hasBom_ = false;
    // The inner form is UTF-8 (XmlUtf8Stream), else text of the system code page (XmlAnsiStream).
    bool utf8Inner_ = false;

  private:
    void Detect();
    // Decodes the next piece of the source; false when nothing is left to deliver.
    bool Decode();
    // Keeps the last characters before the position (for going back) and what follows it.
    void DropDelivered();
    // Decodes the complete characters of raw_ (all of it at the end of the source) into the inner
    // form; returns the bytes used.
    std::size_t DecodeRaw(std::string_view raw, bool last);
    std::size_t Decode8Bit(std::string_view raw, bool last);
    // Appends raw[from, to), characters of one byte each.
    void PutOneByteRun(std::string_view raw, std::size_t from, std::size_t to);
    // Runs of ASCII go in at once, every other character through other(i), which puts it and
    // returns the bytes it took (0: the rest waits for the next piece). Returns the bytes used.
    template <typename Other>
    std::size_t DecodeWithAsciiRuns(std::string_view raw, Other other);
    std::size_t DecodeUtf8Source(std::string_view raw, bool last);
    std::size_t Decode16Bit(std::string_view raw, bool last);
    // Appends one character of the inner form that ends `end` bytes into raw_.
    void Put(std::string_view bytes, std::size_t end);
    void PutCodePoint(char32_t cp, std::size_t end);
    std::size_t FindNul(std::size_t from) const;
    // A character decoded ahead that the inner form cannot hold is reported once it is delivered:
    // a declaration may still have the rest decoded again.
    void NoteLoss() { lossAt_ = std::min(lossAt_, text_.size()); }
    void ReportDeliveredLoss() {
        if (lossAt_ < pos_) ReportLoss();
    }
    // Index of the first byte of the character that holds text_[i].
    std::size_t CharStart(std::size_t i) const {
        while (i > 0 && ends_[i - 1] == ends_[i]) --i;
        return i;
    }
    // Source offset after text_[i]'s character, or of the first character's start for i = -1.
    std::int64_t EndOf(std::ptrdiff_t i) const {
        return base_ + (i < 0 ? firstStart_ : ends_[static_cast<std::size_t>(i)]);
    }

    // The source decoded into the inner form. ends_[i] is where text_[i]'s character ends in the
    // source, counted from base_; the bytes of one character share it.
    UninitializedBuffer<char> text_;
    UninitializedBuffer<std::int32_t> ends_;
    std::int64_t base_ = 0;
    std::int32_t firstStart_ = 0;  // where text_[0]'s character starts, from base_
    std::size_t pos_ = 0;          // the next byte of text_ to deliver
    std::size_t nul_ = 0;          // the first NUL of text_ at or after it (text_.size() for none)
    // Source bytes read but not decoded (a character cut off by the end of a piece), from rawStart_.
    UninitializedBuffer<char> raw_;
    std::int64_t rawStart_ = 0;
    bool sourceEnded_ = false;
    std::size_t lossAt_ = std::string::npos;  // the first lost character of text_
};

class XmlAnsiStream : public XmlCodecStream {
  public:
    explicit XmlAnsiStream(Stream* stream);

  protected:
    void WriteBuf(const char* buffer, std::size_t count) override;

  private:
    void WriteByte(char c);
    void WriteChar(std::string_view gbk);
};

class XmlUtf8Stream : public XmlCodecStream {
  public:
    explicit XmlUtf8Stream(Stream* stream);

  protected:
    void WriteBuf(const char* buffer, std::size_t count) override;

  private:
    void WriteCodePoint(char32_t cp);
};

// Reads characters from a stream, delivering first what the parser gave back.
class XmlSurplusReader {
  public:
    explicit XmlSurplusReader(Stream& stream)
        : XmlSurplusReader(stream, dynamic_cast<XmlCodecStream*>(&stream)) {}
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
    // Gives back the character just read.
    void GiveBack(char c) {
        if (codec_ && Surplus.empty())
            codec_->Back();
        else
            Surplus.insert(0, 1, c);
    }
    // Characters of the stream that may be taken at once (see XmlCodecStream::PeekRun); empty while
    // characters are given back.
    std::string_view PeekRun() const {
        return codec_ && Surplus.empty() ? codec_->PeekRun() : std::string_view();
    }
    void TakeRun(std::size_t count) { codec_->TakeRun(count); }

    // Characters given back, delivered before the stream's own.
    std::string Surplus;

  private:
    Stream& stream_;
    XmlCodecStream* codec_;
};

}  // namespace xunda
