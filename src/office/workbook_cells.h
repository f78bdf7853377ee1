// Reading the cells of workbooks: .xls through its workbook stream (xls_stream.h), .xlsx through
// the ZIP container and the XML model, streamed row by row so that a large sheet never sits in
// memory.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

namespace xunda {

// One non-empty cell: sheet, row and column counted from 0, and its text (cell_text.h).
// Cells come sheet by sheet, row by row, column by column. Returning false stops the reading.
using CellSink =
    std::function<bool(std::size_t sheet, std::size_t row, std::size_t column, std::string text)>;

// Most cells a workbook may hold, empty ones included: reading stops with an error beyond.
inline constexpr std::size_t kMaxWorkbookCells = 4'000'000;

// The cells of every worksheet in workbook order, or of the first one only. Throw
// std::runtime_error (or the XML model's exceptions) when the file cannot be read, holds no
// worksheet or too many cells.
void ReadXlsCells(const std::filesystem::path& file, bool firstSheetOnly, const CellSink& sink);
void ReadXlsxCells(const std::filesystem::path& file, bool firstSheetOnly, const CellSink& sink);

}  // namespace xunda
