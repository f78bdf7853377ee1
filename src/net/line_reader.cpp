#include "net/line_reader.h"

#include "net/net_text.h"
#include "net/socket_error.h"

namespace xunda {

void LineReader::Reset() {
    Clear();
    endedOnCR_ = endedOnLF_ = false;
}

std::string_view LineReader::KeepBeyond(std::string_view piece, std::size_t room) {
    if (piece.size() > room) Keep(piece.substr(room));
    return piece.substr(0, room);
}

unsigned char LineReader::TakeByte() {
    const auto byte = static_cast<unsigned char>(buffer_[0]);
    buffer_.erase(0, 1);
    return byte;
}

std::string_view LineReader::TakeBuffered() {
    storage_.swap(buffer_);
    buffer_.clear();
    return Received(storage_.size());
}

char* LineReader::Storage(std::size_t size) {
    if (storage_.size() < size) storage_.resize(size);
    return storage_.data();
}

std::string_view LineReader::Received(std::size_t length) {
    std::string_view piece(storage_.data(), length);
    piece.remove_prefix(CarriedLineEnd(piece));
    return piece;
}

std::size_t LineReader::CarriedLineEnd(std::string_view piece) {
    if (!ConvertLineEnd || piece.empty()) return 0;
    std::size_t skip = endedOnCR_ && piece[0] == '\n' ? 1 : 0;
    if (endedOnLF_ && piece.size() > skip && piece[skip] == '\r') ++skip;
    endedOnCR_ = endedOnLF_ = false;
    return skip;
}

int LineReader::ReadUntil(const PieceSource& next, const std::string& terminator, int timeout,
                          bool shareTimeout, std::string& line) {
    std::string s;
    std::size_t scanned = 0;  // bytes of s already searched without a line end
    std::size_t end = std::string::npos, endLength = 0;
    int error = 0;
    while (error == 0) {
        const std::uint64_t start = MonotonicMs();
        std::string_view piece;
        error = next(timeout, piece);
        s.append(piece);
        if (error != 0) break;
        end = FindTerminator(s, scanned, terminator, endLength);
        scanned = s.size();
        const std::size_t lineLength = end == std::string::npos ? s.size() : end;
        if (MaxLineLength > 0 && lineLength > static_cast<std::size_t>(MaxLineLength))
            error = WSAENOBUFS;
        else if (end != std::string::npos)
            break;
        else if (shareTimeout && !ConsumeTimeout(timeout, start))
            error = WSAETIMEDOUT;
    }
    if (error == 0) {
        line = s.substr(0, end);
        s.erase(0, end + endLength);
    }
    buffer_ = std::move(s);
    return error;
}

std::size_t LineReader::FindTerminator(std::string_view line, std::size_t scanned,
                                       const std::string& terminator, std::size_t& length) {
    if (!ConvertLineEnd || terminator != "\r\n") {
        length = terminator.size();
        return line.find(terminator, scanned >= length ? scanned - (length - 1) : 0);
    }
    const std::size_t end = line.find_first_of("\r\n", scanned);
    if (end == std::string::npos) return end;
    std::string found;
    FindLineEnd(line.substr(end), found);
    length = found.size();
    if (found == "\r") endedOnCR_ = true;
    if (found == "\n") endedOnLF_ = true;
    return end;
}

}  // namespace xunda
