// Text files as the program reads them: UTF-8 with or without a byte-order mark, UTF-16 with a mark
// or recognised by its zero bytes and characters, UTF-32 with a mark, else GBK. A file is read in
// pieces, so that a large one is never held whole.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

namespace xunda {

// Receives the text of a file a piece at a time, UTF-8 and GBK-safe: whole lines (the file's last
// line may lack its line break); a line longer than a piece comes in parts that end after a
// character that cannot be part of a number (any but digits, brackets and dashes of either
// width), so that the numbers of the parts are those of the line; a run of number characters
// longer than two pieces comes in parts of whole characters.
using TextPieceSink = std::function<void(std::string_view lines)>;

// Reads `file` through in pieces of about `pieceBytes` (at most three times as many bytes) and
// hands over its text. Zero bytes that are no UTF-16 or UTF-32 character make the file no text.
// Throws std::runtime_error when the file cannot be read or holds no text; pieces handed over
// before that are the file's beginning.
void ReadInputText(const std::filesystem::path& file, const TextPieceSink& sink,
                   std::size_t pieceBytes = std::size_t{1} << 20);

}  // namespace xunda
