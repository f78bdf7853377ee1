// Reading the cells of workbooks: .xls through its workbook stream (xls_stream.h), .xlsx through
// the ZIP container and the XML model, streamed row by row so that a large sheet never sits in
// memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string_view>

#include "core/unicode.h"

namespace xunda {

// Most cells a workbook may hold, empty ones and rows without cells included.
inline constexpr std::size_t kMaxWorkbookCells = 4'000'000;
// Most characters a cell holds.
inline constexpr std::size_t kMaxCellCharacters = 32'767;
// Most bytes of text one reading makes and hands out: each shared string once when it is read, and
// each cell's text (a shared one again for every cell that shows it).
inline constexpr std::uint64_t kMaxWorkbookTextBytes = std::uint64_t{1} << 30;
// A cell's text is no shared string.
inline constexpr std::size_t kOwnText = static_cast<std::size_t>(-1);

// One non-empty cell: sheet, row and column counted from 0, and its text (cell_text.h), valid
// during the call. A shared string comes with its number in the workbook's table, and then with
// the same text for every cell that shows it; other texts with kOwnText.
struct Cell {
    std::size_t sheet, row, column;
    std::string_view text;
    std::size_t shared = kOwnText;
};

// Whether a reading hands out each cell's value as text (the number import), or the text the cell
// shows through its number format (the Excel page).
enum class CellTexts : std::uint8_t { Values, Shown };

// Cells come sheet by sheet, row by row, column by column. Returning false stops the reading.
using CellSink = std::function<bool(const Cell&)>;

// What one reading has made so far, against the limits above; each count throws
// std::runtime_error when it goes past its limit.
class WorkbookLimits {
  public:
    void CountCell() {
        if (++cells_ > kMaxWorkbookCells) throw std::runtime_error("too many cells");
    }
    void CountText(std::string_view text) {
        if ((textBytes_ += text.size()) > kMaxWorkbookTextBytes) throw std::runtime_error("too much text");
    }
    // Counts a text the file holds itself (a cell's own or a shared string, not a shared string
    // shown again) and refuses it when it is longer than a cell holds.
    void CountCellText(std::string_view text) {
        CountText(text);
        ownTextBytes_ += text.size();
        if (text.size() <= kMaxCellCharacters) return;
        std::size_t characters = 0;
        for (std::size_t i = 0; i < text.size(); i += DecodeUtf8(text, i).length) ++characters;
        if (characters > kMaxCellCharacters) throw std::runtime_error("a text longer than a cell holds");
    }

    std::size_t Cells() const { return cells_; }
    std::uint64_t OwnTextBytes() const { return ownTextBytes_; }

  private:
    std::size_t cells_ = 0;
    std::uint64_t textBytes_ = 0, ownTextBytes_ = 0;
};

// The cells of every worksheet in workbook order, or of the first one only. Throw
// std::runtime_error (or the XML model's exceptions) when the file cannot be read, holds no
// worksheet, or makes more than the limits above.
void ReadXlsCells(const std::filesystem::path& file, bool firstSheetOnly, CellTexts texts,
                  const CellSink& sink);
void ReadXlsxCells(const std::filesystem::path& file, bool firstSheetOnly, CellTexts texts,
                   const CellSink& sink);

}  // namespace xunda
