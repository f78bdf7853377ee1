#include <freexl.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "office/cell_text.h"
#include "office/compound_file.h"
#include "office/workbook_cells.h"

namespace xunda {
namespace {

std::string CellText(const FreeXL_CellValue& cell) {
    switch (cell.type) {
        case FREEXL_CELL_INT:
            return NumberCellText(cell.value.int_value);
        case FREEXL_CELL_DOUBLE:
            return NumberCellText(cell.value.double_value);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_TIME:
            return cell.value.text_value ? cell.value.text_value : "";
        case FREEXL_CELL_DATETIME:
            return TrimMidnight(cell.value.text_value ? cell.value.text_value : "");
        default:
            return {};
    }
}

// What libfreexl reserves for each cell of the size a sheet declares, when it opens the file.
constexpr std::uint64_t kReservedBytesPerCell = 16;

// The cells the sizes declared by the workbook stream's DIMENSIONS records add up to, over every
// sheet: what libfreexl reserves before a single cell is read.
std::uint64_t DeclaredCells(std::string_view stream) {
    std::uint64_t cells = 0;
    for (std::size_t at = 0; at + 4 <= stream.size();) {
        const std::uint16_t id = U16(stream, at), length = U16(stream, at + 2);
        const std::string_view body = stream.substr(at + 4, length);
        at += 4 + length;
        if (id == 0x0200 && body.size() >= 14)  // BIFF8: 32-bit rows
            cells += (U16(body, 4) | std::uint64_t{U16(body, 6)} << 16) * U16(body, 10);
        else if ((id == 0x0200 && body.size() >= 10) || (id == 0x0000 && body.size() >= 8))  // earlier BIFF
            cells += std::uint64_t{U16(body, 2)} * U16(body, 6);
    }
    return cells;
}

// Refuses a file whose sheets declare more cells than its size can justify, before libfreexl
// reserves them: 32 MiB plus twice the file's size.
void CheckDeclaredSize(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::optional<std::string> stream = ReadCompoundStream(bytes, {"Workbook", "Book"});
    if (!stream ||
        DeclaredCells(*stream) * kReservedBytesPerCell > (std::uint64_t{32} << 20) + 2 * bytes.size())
        throw std::runtime_error("unreadable workbook: " + file.string());
}

struct CloseXls {
    void operator()(const void* handle) const { freexl_close(handle); }
};

}  // namespace

void ReadXlsCells(const std::filesystem::path& file, bool firstSheetOnly, const CellSink& sink) {
    CheckDeclaredSize(file);
    const void* raw = nullptr;
    const int opened = freexl_open(file.c_str(), &raw);
    std::unique_ptr<const void, CloseXls> handle(raw);
    unsigned int sheets = 0, password = 0;
    if (opened != FREEXL_OK || freexl_get_info(raw, FREEXL_BIFF_PASSWORD, &password) != FREEXL_OK ||
        password != FREEXL_BIFF_PLAIN ||
        freexl_get_info(raw, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0)
        throw std::runtime_error("unreadable workbook: " + file.string());
    std::size_t cells = 0;
    for (unsigned short sheet = 0; sheet < sheets && !(firstSheetOnly && sheet > 0); ++sheet) {
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(raw, sheet) != FREEXL_OK ||
            freexl_worksheet_dimensions(raw, &rows, &columns) != FREEXL_OK)
            throw std::runtime_error("unreadable worksheet: " + file.string());
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue cell;
                if (++cells > kMaxWorkbookCells) throw std::runtime_error("too many cells: " + file.string());
                if (freexl_get_cell_value(raw, r, c, &cell) != FREEXL_OK)
                    throw std::runtime_error("unreadable cell: " + file.string());
                std::string text = CellText(cell);
                if (!text.empty() && !sink(sheet, r, c, std::move(text))) return;
            }
        }
    }
}

}  // namespace xunda
