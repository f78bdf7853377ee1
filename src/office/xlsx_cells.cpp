#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

#include "core/text_util.h"
#include "office/cell_text.h"
#include "office/text_table.h"
#include "office/workbook_cells.h"
#include "office/xml_parts.h"
#include "office/zip_archive.h"

namespace xunda {
namespace {

// The last row and column a cell may stand in (XFD1048576).
constexpr std::size_t kRows = 1'048'576, kColumns = 16'384;
// The most XML a cell (a row counting as one) and a byte of its text take as spreadsheet programs
// write them: a cell with its reference, style, type and value elements, indented; a text's
// characters as numeric references ("&#20013;": 8 bytes for the 3 of its UTF-8).
constexpr std::uint64_t kXmlPerCell = 256, kXmlPerTextByte = 4;

struct Workbook {
    std::vector<std::string> sheets;  // member names in workbook order
    std::string sharedStrings, styles;
    bool date1904 = false;
};

// "worksheets/sheet1.xml" relative to xl/, or an absolute "/xl/..." target, as a member name.
std::string MemberOf(const std::string& target) {
    return target.starts_with('/') ? target.substr(1) : "xl/" + target;
}

Workbook ReadWorkbook(const ZipArchive& zip) {
    Workbook book;
    std::map<std::string, std::string> targets;  // relationship id -> member
    if (zip.Has("xl/_rels/workbook.xml.rels")) {
        XmlDocument rels;
        StreamPart(zip, "xl/_rels/workbook.xml.rels", rels, {}, [&](XmlNode& rel) {
            if (rel.Parent() != rels.GetRoot()) return;
            const std::string member = MemberOf(LocalAttribute(rel, "Target"));
            const std::string type = LocalAttribute(rel, "Type");
            targets[LocalAttribute(rel, "Id")] = member;
            if (type.ends_with("/sharedStrings")) book.sharedStrings = member;
            if (type.ends_with("/styles")) book.styles = member;
        });
    }
    XmlDocument doc;
    StreamPart(zip, "xl/workbook.xml", doc, {}, [&](XmlNode& node) {
        if (node.Parent() == doc.GetRoot() && LocalName(node) == "workbookPr") {
            const std::string flag = LocalAttribute(node, "date1904");
            book.date1904 = flag == "1" || flag == "true";
        }
        const XmlNode* list = node.Parent();
        if (!list || list->Parent() != doc.GetRoot() || LocalName(*list) != "sheets") return;
        auto found = targets.find(LocalAttribute(node, "id"));
        book.sheets.push_back(found != targets.end()
                                  ? found->second
                                  : "xl/worksheets/sheet" + std::to_string(book.sheets.size() + 1) + ".xml");
    });
    if (book.sheets.empty()) throw std::runtime_error("no worksheet");
    if (book.sharedStrings.empty()) book.sharedStrings = "xl/sharedStrings.xml";
    if (book.styles.empty()) book.styles = "xl/styles.xml";
    return book;
}

// The workbook's shared strings, each held once. A table holds no more strings than a workbook
// holds cells, and no string longer than a cell holds.
TextTable ReadSharedStrings(const ZipArchive& zip, const std::string& member, WorkbookLimits& limits) {
    TextTable strings;
    if (!zip.Has(member)) return strings;
    XmlDocument doc;
    std::string text;
    StreamPart(zip, member, doc, {"si"}, [&](XmlNode& node) {
        if (LocalName(node) != "si") return;
        if (strings.Size() == kMaxWorkbookCells) throw std::runtime_error("too many shared strings");
        text.clear();
        AppendRunTexts(node, text);
        limits.CountCellText(text);
        strings.Add(text);
    });
    return strings;
}

// The number formats of the cell styles.
CellStyles ReadCellStyles(const ZipArchive& zip, const std::string& member, bool date1904, CellTexts texts) {
    std::map<int, std::string> codes;
    std::vector<int> styles;
    if (zip.Has(member)) {
        XmlDocument doc;
        StreamPart(zip, member, doc, {}, [&](XmlNode& item) {
            const XmlNode* list = item.Parent();
            if (!list || list->Parent() != doc.GetRoot()) return;
            const auto id = static_cast<int>(ParseInt(LocalAttribute(item, "numFmtId")).value_or(0));
            if (LocalName(*list) == "numFmts") codes[id] = LocalAttribute(item, "formatCode");
            if (LocalName(*list) == "cellXfs") styles.push_back(id);
        });
    }
    return CellStyles(codes, styles, date1904, texts);
}

// "C5" -> column 2, row 4 (a column or row past the last one as kColumns or kRows); false for a
// text that is no reference.
bool ParseReference(std::string_view ref, std::size_t& row, std::size_t& column) {
    std::size_t i = 0, c = 0, r = 0;
    for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z'; ++i)
        c = std::min(c * 26 + static_cast<std::size_t>(ref[i] - 'A' + 1), kColumns + 1);
    const std::size_t letters = i;
    for (; i < ref.size() && ref[i] >= '0' && ref[i] <= '9'; ++i)
        r = std::min(r * 10 + static_cast<std::size_t>(ref[i] - '0'), kRows + 1);
    if (letters == 0 || i == letters || i != ref.size() || r == 0) return false;
    row = r - 1;
    column = c - 1;
    return true;
}

class SheetReader {
  public:
    SheetReader(const Workbook& book, TextTable strings, CellStyles styles, WorkbookLimits& limits)
        : book_(book), strings_(std::move(strings)), styles_(std::move(styles)), limits_(limits) {}

    // False when the sink stopped the reading. Each cell is taken and dropped the moment it is
    // read, so that a row of any length keeps one cell in memory. A row without cells counts as
    // one cell; a cell past the last row or column is refused.
    bool Read(const ZipArchive& zip, std::size_t sheet, const CellSink& sink) {
        XmlDocument doc;
        const XmlNode* row = nullptr;  // the row of the cells being read
        std::size_t r = 0, nextRow = 0, column = 0;
        bool stopped = false;
        const auto startRow = [&](const XmlNode& node) {
            const std::int64_t at = ParseInt(LocalAttribute(node, "r")).value_or(0);
            row = &node;
            r = at >= 1 ? static_cast<std::size_t>(std::min<std::int64_t>(at, kRows + 1)) - 1 : nextRow;
            column = 0;
        };
        std::string own;
        StreamPart(zip, book_.sheets[sheet], doc, {"c"}, [&](XmlNode& node) {
            const std::string_view name = LocalName(node);
            if (stopped || (name != "c" && name != "row")) return;
            if (name == "row") {
                if (row != &node) {
                    startRow(node);
                    limits_.CountCell();
                }
                nextRow = r + 1;
                row = nullptr;
            } else if (node.Parent()) {
                limits_.CountCell();
                if (row != node.Parent()) startRow(*node.Parent());
                Cell cell{sheet, r, column, {}, kOwnText};
                ParseReference(LocalAttribute(node, "r"), cell.row, cell.column);
                if (cell.row >= kRows || cell.column >= kColumns)
                    throw std::runtime_error("a cell past the last row or column");
                column = cell.column + 1;
                TakeText(node, own, cell);
                if (!cell.text.empty() && !sink(cell)) stopped = doc.StopParse = true;
            }
        });
        return !stopped;
    }

  private:
    // The cell's text: a shared string, or its own text made in `own`.
    void TakeText(const XmlNode& node, std::string& own, Cell& cell) const {
        const std::string type = LocalAttribute(node, "t");
        const std::int64_t style = ParseInt(LocalAttribute(node, "s")).value_or(0);
        const std::size_t s =
            style >= 0 ? static_cast<std::size_t>(style) : std::numeric_limits<std::size_t>::max();
        own = OwnText(node, type, s);
        if (type == "s") {
            const std::optional<std::int64_t> index = ParseInt(own);
            if (index && *index >= 0 && static_cast<std::uint64_t>(*index) < strings_.Size()) {
                cell.shared = static_cast<std::size_t>(*index);
                cell.text = strings_[cell.shared];
            }
            if (std::optional<std::string> shown = styles_.ShownText(cell.text, s)) {
                own = std::move(*shown);
                cell.shared = kOwnText;
                cell.text = own;
            }
            limits_.CountText(cell.text);
        } else {
            if (type == "inlineStr" || type == "str")
                if (std::optional<std::string> shown = styles_.ShownText(own, s)) own = std::move(*shown);
            limits_.CountCellText(own);
            cell.text = own;
        }
    }

    // The text of a cell of style `style` as its value shows it; for a shared string, the string's number.
    std::string OwnText(const XmlNode& cell, std::string_view type, std::size_t style) const {
        std::string value;
        for (int i = 0; i < cell.GetNodeCount(); ++i) {
            const XmlNode& part = *cell.GetNodes(i);
            if (LocalName(part) == "v") value = part.GetValueAsString();
            if (LocalName(part) == "is") AppendRunTexts(part, value);
        }
        if (type == "s" || type == "inlineStr" || type == "str") return value;
        if (type == "b") return value.empty() ? value : BoolCellText(value != "0");
        if (type == "e") return {};
        if (type == "d") {  // an ISO date text
            std::replace(value.begin(), value.end(), 'T', ' ');
            return TrimMidnight(value.substr(0, 19));
        }
        const std::optional<double> number = ParseCellNumber(value);
        return number ? styles_.NumberText(*number, style) : value;
    }

    const Workbook& book_;
    const TextTable strings_;
    const CellStyles styles_;
    WorkbookLimits& limits_;
};

}  // namespace

void ReadXlsxCells(const std::filesystem::path& file, bool firstSheetOnly, CellTexts texts,
                   const CellSink& sink) {
    WorkbookLimits limits;
    const ZipArchive zip(
        file, [&limits] { return kXmlPerCell * limits.Cells() + kXmlPerTextByte * limits.OwnTextBytes(); });
    const Workbook book = ReadWorkbook(zip);
    SheetReader reader(book, ReadSharedStrings(zip, book.sharedStrings, limits),
                       ReadCellStyles(zip, book.styles, book.date1904, texts), limits);
    for (std::size_t sheet = 0; sheet < book.sheets.size() && !(firstSheetOnly && sheet > 0); ++sheet)
        if (!reader.Read(zip, sheet, sink)) return;
}

}  // namespace xunda
