// The workbook stream of an .xls file (BIFF8, the "Workbook" stream of its compound file, or the
// "Book" stream of Excel 95's BIFF5) read record by record: the globals' shared strings, number formats and
// sheet list, then the cells of a sheet. A text longer than a record goes on in CONTINUE records and is read
// whole. Nothing is reserved from a count or size the stream declares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "office/cell_text.h"
#include "office/text_table.h"
#include "office/workbook_cells.h"

namespace xunda {

// How a stream writes its texts: BIFF8 as characters of one or two bytes after a flags byte,
// BIFF5 as bytes in the workbook's code page (GBK, also when the workbook names none; any other
// taken as Latin-1).
enum class XlsTextForm : std::uint8_t { Biff8, Gbk, Latin1 };

class XlsWorkbook {
  public:
    // Reads the globals; throws std::runtime_error when the stream is no BIFF8 or BIFF5 workbook,
    // is encrypted or lists no worksheet. Its cells' texts are `texts`.
    XlsWorkbook(std::string stream, CellTexts texts);

    std::size_t SheetCount() const { return sheets_.size(); }
    // Hands over the non-empty cells of a worksheet in the order the stream holds them (row by
    // row, as spreadsheet programs write it), a shared string with its number in the workbook's
    // table, until `cell` returns false; false then. Throws std::runtime_error when the sheet
    // cannot be read.
    bool ReadSheet(std::size_t sheet, const CellSink& cell) const;

  private:
    std::string stream_;
    TextTable strings_;
    CellStyles styles_;                  // the cell formats (XFs)
    std::vector<std::uint32_t> sheets_;  // where each worksheet's records start
    XlsTextForm form_ = XlsTextForm::Biff8;
};

}  // namespace xunda
