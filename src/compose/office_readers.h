// Workbooks and documents as the number import and the Excel page read them. What a file is comes
// from its content (an OLE2 compound file, a ZIP package, anything else); its extension only
// decides between the two Office readers for an OLE2 file. Texts come GBK-safe.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "office/workbook_cells.h"

namespace xunda {

// Either: an OLE2 file of another extension, read by whichever reader opens it.
enum class OfficeKind { Text, Workbook, Document, Either };

// Text for anything that is neither an OLE2 compound file nor a ZIP package holding a workbook
// or a document. An OLE2 file, or a ZIP file that cannot be opened, is a workbook when its
// extension starts with ".XLS", a document when it starts with ".DOC" (any case); so is a file of
// no bytes.
OfficeKind DetectOfficeKind(const std::filesystem::path& file);

// The texts of all non-empty cells of every worksheet, sheet by sheet, row by row, column by
// column; nullopt when the file cannot be read as a workbook (or holds too many cells).
std::optional<std::vector<std::string>> ReadExcelCells(const std::filesystem::path& file);
// The document's whole text as one item (one line per paragraph); nullopt when it cannot be read.
std::optional<std::vector<std::string>> ReadWordText(const std::filesystem::path& file);
// The same items handed over one by one as they are read (the number import keeps no list of
// them); false when the file cannot be read.
bool VisitExcelCells(const std::filesystem::path& file, const std::function<void(std::string_view)>& item);
bool VisitWordText(const std::filesystem::path& file, const std::function<void(std::string_view)>& item);

// The first worksheet from its first cell (A1) to its last used row and column. Its rows together
// hold at most kMaxWorkbookCells cells, empty ones included.
struct SheetGrid {
    std::size_t columns = 0;
    // One entry per row; a row may be shorter than `columns` (its missing cells are empty).
    std::vector<std::vector<std::string>> rows;
    const std::string& Cell(std::size_t row, std::size_t column) const;
};
// nullopt when the file cannot be read as a workbook (or holds too many cells).
std::optional<SheetGrid> ReadFirstSheet(const std::filesystem::path& file);

}  // namespace xunda
