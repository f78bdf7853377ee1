#include <fstream>
#include <iterator>
#include <stdexcept>

#include "office/compound_file.h"
#include "office/workbook_cells.h"
#include "office/xls_stream.h"

namespace xunda {
namespace {

// The workbook stream of the compound file.
std::string ReadWorkbookStream(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::optional<std::string> stream = ReadCompoundStream(bytes, {"Workbook", "Book"});
    if (!stream) throw std::runtime_error("unreadable workbook: " + file.string());
    return std::move(*stream);
}

}  // namespace

void ReadXlsCells(const std::filesystem::path& file, bool firstSheetOnly, CellTexts texts,
                  const CellSink& sink) {
    const XlsWorkbook book(ReadWorkbookStream(file), texts);
    WorkbookLimits limits;
    for (std::size_t sheet = 0; sheet < book.SheetCount() && !(firstSheetOnly && sheet > 0); ++sheet) {
        const bool going = book.ReadSheet(sheet, [&](const Cell& cell) {
            limits.CountCell();
            limits.CountCellText(cell.text);
            return sink(cell);
        });
        if (!going) return;
    }
}

}  // namespace xunda
