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

// Reads the cells of a workbook of either form; throws when it cannot be read.
void ReadCells(const std::filesystem::path& file, bool firstSheetOnly, const CellSink& sink) {
    const CellSink safe = [&](std::size_t sheet, std::size_t row, std::size_t column, std::string text) {
        return sink(sheet, row, column, MakeGbkSafe(text));
    };
    if (ContainerOf(file) == Container::Ole2)
        ReadXlsCells(file, firstSheetOnly, safe);
    else
        ReadXlsxCells(file, firstSheetOnly, safe);
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
    try {
        ReadCells(file, false, [&](std::size_t, std::size_t, std::size_t, std::string text) {
            item(text);
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

namespace {

std::optional<std::vector<std::string>> Collect(bool (*visit)(const std::filesystem::path&,
                                                              const std::function<void(std::string_view)>&),
                                                const std::filesystem::path& file) {
    std::vector<std::string> items;
    if (!visit(file, [&items](std::string_view text) { items.emplace_back(text); })) return std::nullopt;
    return items;
}

}  // namespace

std::optional<std::vector<std::string>> ReadExcelCells(const std::filesystem::path& file) {
    return Collect(VisitExcelCells, file);
}

std::optional<std::vector<std::string>> ReadWordText(const std::filesystem::path& file) {
    return Collect(VisitWordText, file);
}

const std::string& SheetGrid::Cell(std::size_t row, std::size_t column) const {
    static const std::string kEmpty;
    const std::vector<std::string>& cells = rows[row];
    return column < cells.size() ? cells[column] : kEmpty;
}

std::optional<SheetGrid> ReadFirstSheet(const std::filesystem::path& file) {
    SheetGrid grid;
    std::size_t slots = 0;
    try {
        ReadCells(file, true, [&](std::size_t, std::size_t row, std::size_t column, std::string text) {
            if (grid.rows.size() <= row) grid.rows.resize(row + 1);
            std::vector<std::string>& cells = grid.rows[row];
            if (cells.size() <= column) {
                slots += column + 1 - cells.size();
                if (slots > kMaxWorkbookCells) throw std::runtime_error("worksheet too large");
                cells.resize(column + 1);
            }
            cells[column] = std::move(text);
            grid.columns = std::max(grid.columns, column + 1);
            return true;
        });
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return grid;
}

}  // namespace xunda
