// The bytes a socket received and has not handed out yet, and the reading of lines from them.
// With ConvertLineEnd, CR, LF, CR LF and LF CR all end a CR LF line; when a line ended on a lone CR
// (or LF), an LF (or CR) that starts the next piece is its partner and is dropped.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace xunda {

class LineReader {
  public:
    bool ConvertLineEnd = false;
    int MaxLineLength = 0;  // longest line ReadUntil gathers; 0 = no limit

    const std::string& Buffered() const { return buffer_; }
    void Clear() { buffer_.clear(); }
    // Clear, and forget how the last line ended.
    void Reset();
    // Rest (not a view of Buffered()) becomes what is buffered.
    void Keep(std::string_view rest) { buffer_.assign(rest); }
    // The first Room bytes of Piece; the rest, if any, is kept.
    std::string_view KeepBeyond(std::string_view piece, std::size_t room);
    // Hands out the first buffered byte; Buffered() must not be empty.
    unsigned char TakeByte();

    // A piece: what was buffered, or Length bytes read into Storage. Either comes without the
    // partner of the last line end and is valid until the next piece.
    std::string_view TakeBuffered();
    char* Storage(std::size_t size);
    std::string_view Received(std::size_t length);
    // How many leading bytes of a new piece are the partner of the last line end; forgets the
    // line end.
    std::size_t CarriedLineEnd(std::string_view piece);

    // The next piece of a line, read with the given wait; returns the read's error (0 = none).
    using PieceSource = std::function<int(int timeout, std::string_view& piece)>;
    // Reads pieces until Terminator and hands out the bytes before it in Line; what follows, or
    // all that was read when no line came, stays buffered. Returns 0, the error of a read,
    // WSAENOBUFS when the line grew past MaxLineLength, or WSAETIMEDOUT when the reads share
    // Timeout and used it up.
    int ReadUntil(const PieceSource& next, const std::string& terminator, int timeout, bool shareTimeout,
                  std::string& line);

  private:
    // The first Terminator in Line at or after Scanned (npos when none), its length in Length.
    std::size_t FindTerminator(std::string_view line, std::size_t scanned, const std::string& terminator,
                               std::size_t& length);

    std::string buffer_;
    std::string storage_;  // the bytes of the current piece, kept from read to read
    bool endedOnCR_ = false;
    bool endedOnLF_ = false;
};

}  // namespace xunda
