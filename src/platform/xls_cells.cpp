#include <freexl.h>

#include <memory>
#include <stdexcept>

#include "platform/cell_text.h"
#include "platform/workbook_cells.h"

namespace xunda {
namespace {

std::string CellText(const FreeXL_CellValue& cell) {
    switch (cell.type) {
        case FREEXL_CELL_INT: return NumberCellText(cell.value.int_value);
        case FREEXL_CELL_DOUBLE: return NumberCellText(cell.value.double_value);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_TIME: return cell.value.text_value ? cell.value.text_value : "";
        case FREEXL_CELL_DATETIME: return TrimMidnight(cell.value.text_value ? cell.value.text_value : "");
        default: return {};
    }
}

struct CloseXls {
    void operator()(const void* handle) const { freexl_close(handle); }
};

}  // namespace

void ReadXlsCells(const std::filesystem::path& file, bool firstSheetOnly, const CellSink& sink) {
    const void* raw = nullptr;
    const int opened = freexl_open(file.c_str(), &raw);
    std::unique_ptr<const void, CloseXls> handle(raw);
    unsigned int sheets = 0, password = 0;
    if (opened != FREEXL_OK || freexl_get_info(raw, FREEXL_BIFF_PASSWORD, &password) != FREEXL_OK ||
        password != FREEXL_BIFF_PLAIN || freexl_get_info(raw, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK)
        throw std::runtime_error("unreadable workbook: " + file.string());
    for (unsigned short sheet = 0; sheet < sheets && !(firstSheetOnly && sheet > 0); ++sheet) {
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(raw, sheet) != FREEXL_OK ||
            freexl_worksheet_dimensions(raw, &rows, &columns) != FREEXL_OK)
            throw std::runtime_error("unreadable worksheet: " + file.string());
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue cell;
                if (freexl_get_cell_value(raw, r, c, &cell) != FREEXL_OK)
                    throw std::runtime_error("unreadable cell: " + file.string());
                std::string text = CellText(cell);
                if (!text.empty() && !sink(sheet, r, c, std::move(text))) return;
            }
        }
    }
}

}  // namespace xunda
