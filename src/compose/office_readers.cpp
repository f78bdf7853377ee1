#include "compose/office_readers.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <fstream>
#include <stdexcept>

#include "core/codepage.h"
#include "core/text_util.h"
#include "office/document_text.h"
#include "office/workbook_cells.h"
#include "office/zip_archive.h"

namespace xunda {
namespace {

enum class Container { Ole2, Zip, Other };

Container ContainerOf(const std::filesystem::path& file) {
    char magic[8] = {};
    std::ifstream in(file, std::ios::binary);
    in.read(magic, sizeof magic);
    if (in.gcount() == 8 && std::memcmp(magic, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) == 0)
        return Container::Ole2;
    if (in.gcount() >= 4 && std::memcmp(magic, "PK\x03\x04", 4) == 0) return Container::Zip;
    return Container::Other;
}

bool ExtensionStartsWith(const std::filesystem::path& file, std::string_view start) {
    return StartsWithNoCase(file.extension().string(), start);
}

// Reads the cells of a workbook of either form; throws when it cannot be read. The texts are not
// yet GBK-safe.
void ReadCells(const std::filesystem::path& file, bool firstSheetOnly, CellTexts texts,
               const CellSink& sink) {
    if (ContainerOf(file) == Container::Ole2)
        ReadXlsCells(file, firstSheetOnly, texts, sink);
    else
        ReadXlsxCells(file, firstSheetOnly, texts, sink);
}

}  // namespace

OfficeKind DetectOfficeKind(const std::filesystem::path& file) {
    const auto byExtension = [&file](OfficeKind otherwise) {
        if (ExtensionStartsWith(file, ".XLS")) return OfficeKind::Workbook;
        return ExtensionStartsWith(file, ".DOC") ? OfficeKind::Document : otherwise;
    };
    switch (ContainerOf(file)) {
        case Container::Ole2:
            return byExtension(OfficeKind::Either);
        case Container::Zip:
            try {
                const ZipArchive zip(file);
                if (zip.Has("xl/workbook.xml")) return OfficeKind::Workbook;
                if (zip.Has("word/document.xml")) return OfficeKind::Document;
                return OfficeKind::Text;
            } catch (const std::exception&) {
                return byExtension(OfficeKind::Text);  // a damaged package
            }
        case Container::Other:
            break;
    }
    // A workbook or document of no bytes is an empty Office file, not an empty text.
    std::error_code unreadable;
    return std::filesystem::is_empty(file, unreadable) ? byExtension(OfficeKind::Text) : OfficeKind::Text;
}

bool VisitExcelCells(const std::filesystem::path& file, const std::function<void(std::string_view)>& item) {
    std::vector<bool> handed;  // the shared strings handed over
    try {
        ReadCells(file, false, CellTexts::Values, [&](const Cell& cell) {
            if (cell.shared != kOwnText) {
                if (handed.size() <= cell.shared) handed.resize(cell.shared + 1);
                if (handed[cell.shared]) return true;
                handed[cell.shared] = true;
            }
            item(MakeGbkSafe(cell.text));
            return true;
        });
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool VisitWordText(const std::filesystem::path& file, const std::function<void(std::string_view)>& item) {
    std::optional<std::string> text;
    if (ContainerOf(file) == Container::Ole2) {
        text = ReadDocText(file);
    } else {
        try {
            text = ReadDocxText(file);
        } catch (const std::exception&) {
        }
    }
    if (text) item(MakeGbkSafe(*text));
    return text.has_value();
}

SheetGrid::SheetGrid() {
    texts_.Add({});  // number 0: the empty text
}

std::string_view SheetGrid::Cell(std::size_t row, std::size_t column) const {
    const std::vector<std::uint32_t>& cells = rows_[row];
    return texts_[column < cells.size() ? cells[column] : 0];
}

void SheetGrid::Put(std::size_t row, std::size_t column, std::size_t text) {
    const auto count = [this](std::size_t more) {
        if ((cells_ += more) > kMaxWorkbookCells) throw std::runtime_error("worksheet too large");
    };
    if (rows_.size() <= row) {
        count(row + 1 - rows_.size());
        rows_.resize(row + 1);
    }
    std::vector<std::uint32_t>& cells = rows_[row];
    if (cells.size() <= column) {
        count(column + 1 - std::max<std::size_t>(cells.size(), 1));
        cells.resize(column + 1);
    }
    cells[column] = static_cast<std::uint32_t>(text);
    columns_ = std::max(columns_, column + 1);
}

std::optional<SheetGrid> ReadFirstSheet(const std::filesystem::path& file) {
    SheetGrid grid;
    std::vector<std::size_t> shared;  // a shared string's number in the grid, 0 before its first cell
    try {
        ReadCells(file, true, CellTexts::Shown, [&](const Cell& cell) {
            if (cell.shared == kOwnText) {
                grid.Put(cell.row, cell.column, grid.AddText(MakeGbkSafe(cell.text)));
                return true;
            }
            if (shared.size() <= cell.shared) shared.resize(cell.shared + 1);
            std::size_t& text = shared[cell.shared];
            if (text == 0) text = grid.AddText(MakeGbkSafe(cell.text));
            grid.Put(cell.row, cell.column, text);
            return true;
        });
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return grid;
}

}  // namespace xunda
