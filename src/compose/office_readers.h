// Workbooks and documents as the number import and the Excel page read them. What a file is comes
// from its content (an OLE2 compound file, a ZIP package, anything else); its extension only
// decides between the two Office readers for an OLE2 file. Texts come GBK-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "office/text_table.h"
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
// column, handed over one by one as they are read (the number import keeps no list of them), a
// shared string only at the first cell that shows it; false when the file cannot be read as a
// workbook (or makes more than a workbook may).
bool VisitExcelCells(const std::filesystem::path& file, const std::function<void(std::string_view)>& item);
// The document's whole text as one item (one line per paragraph); false when it cannot be read.
bool VisitWordText(const std::filesystem::path& file, const std::function<void(std::string_view)>& item);

// The first worksheet from its first cell (A1) to its last used row and column, each text held
// once (a shared string too, however many cells show it).
class SheetGrid {
  public:
    SheetGrid();
    std::size_t Columns() const { return columns_; }
    std::size_t Rows() const { return rows_.size(); }
    // Empty for a cell beyond its row's last one.
    std::string_view Cell(std::size_t row, std::size_t column) const;
    // Holds a text; gives its number for Put.
    std::size_t AddText(std::string_view text) { return texts_.Add(text); }
    // Puts the text of that number in a cell. The rows together hold at most kMaxWorkbookCells
    // cells, a row counting as one at least; throws std::runtime_error beyond.
    void Put(std::size_t row, std::size_t column, std::size_t text);

  private:
    std::size_t columns_ = 0, cells_ = 0;
    std::vector<std::vector<std::uint32_t>> rows_;  // a text's number per cell, 0 (empty) for none
    TextTable texts_;
};
// nullopt when the file cannot be read as a workbook (or makes more than a workbook may).
std::optional<SheetGrid> ReadFirstSheet(const std::filesystem::path& file);

}  // namespace xunda
