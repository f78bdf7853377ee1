#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

#include "core/text_util.h"
#include "office/cell_text.h"
#include "office/workbook_cells.h"
#include "office/xml_parts.h"
#include "office/zip_archive.h"

namespace xunda {
namespace {

// Most memory the shared strings may take: their bytes, a heap block's bookkeeping for each, and
// the table's slots.
constexpr std::size_t kMaxSharedStringBytes = 48u << 20;
constexpr std::size_t kSharedStringOverhead = 16;

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

std::vector<std::string> ReadSharedStrings(const ZipArchive& zip, const std::string& member) {
    std::vector<std::string> strings;
    if (!zip.Has(member)) return strings;
    XmlDocument doc;
    std::size_t bytes = 0;
    StreamPart(zip, member, doc, {"si"}, [&](XmlNode& node) {
        if (LocalName(node) != "si") return;
        AppendRunTexts(node, strings.emplace_back());
        bytes += kSharedStringOverhead + strings.back().size();
        if (bytes + strings.capacity() * sizeof(std::string) > kMaxSharedStringBytes)
            throw std::runtime_error("shared strings too large");
    });
    return strings;
}

// For each cell style index, whether it shows dates.
std::vector<bool> ReadDateStyles(const ZipArchive& zip, const std::string& member) {
    std::vector<bool> dates;
    if (!zip.Has(member)) return dates;
    std::map<int, std::string> codes;
    XmlDocument doc;
    StreamPart(zip, member, doc, {}, [&](XmlNode& item) {
        const XmlNode* list = item.Parent();
        if (list && list->Parent() == doc.GetRoot()) {
            const int id = static_cast<int>(ParseInt(LocalAttribute(item, "numFmtId")).value_or(0));
            if (LocalName(*list) == "numFmts") codes[id] = LocalAttribute(item, "formatCode");
            if (LocalName(*list) == "cellXfs") dates.push_back(IsDateFormat(id, codes[id]));
        }
    });
    return dates;
}

// "C5" -> column 2, row 4; false for a reference without letters and digits.
bool ParseReference(const std::string& ref, std::size_t& row, std::size_t& column) {
    std::size_t i = 0, c = 0, r = 0;
    for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && c <= 16384; ++i)
        c = c * 26 + (ref[i] - 'A' + 1);
    const std::size_t letters = i;
    for (; i < ref.size() && ref[i] >= '0' && ref[i] <= '9' && r <= 1048576; ++i) r = r * 10 + (ref[i] - '0');
    if (letters == 0 || i != ref.size() || c == 0 || r == 0) return false;
    row = r - 1;
    column = c - 1;
    return true;
}

class SheetReader {
  public:
    SheetReader(const Workbook& book, std::vector<std::string> strings, std::vector<bool> dateStyles)
        : book_(book), strings_(std::move(strings)), dateStyles_(std::move(dateStyles)) {}

    // False when the sink stopped the reading. Each cell is taken and dropped the moment it is
    // read, so that a row of any length keeps one cell in memory.
    bool Read(const ZipArchive& zip, std::size_t sheet, const CellSink& sink) {
        XmlDocument doc;
        const XmlNode* row = nullptr;  // the row of the cells being read
        std::size_t r = 0, nextRow = 0, column = 0;
        bool stopped = false;
        const auto startRow = [&](const XmlNode& node) {
            const std::int64_t at = ParseInt(LocalAttribute(node, "r")).value_or(0);
            row = &node;
            r = at >= 1 && at <= 1048576 ? static_cast<std::size_t>(at) - 1 : nextRow;
            column = 0;
        };
        StreamPart(zip, book_.sheets[sheet], doc, {"c"}, [&](XmlNode& node) {
            const std::string_view name = LocalName(node);
            if (stopped || (name != "c" && name != "row")) return;
            if (name == "row") {
                if (row != &node) startRow(node);
                nextRow = r + 1;
                row = nullptr;
            } else if (node.Parent()) {
                if (++cells_ > kMaxWorkbookCells) throw std::runtime_error("too many cells");
                if (row != node.Parent()) startRow(*node.Parent());
                std::size_t cellRow = r;
                ParseReference(LocalAttribute(node, "r"), cellRow, column);
                std::string text = CellText(node);
                if (!text.empty() && !sink(sheet, cellRow, column, std::move(text)))
                    stopped = doc.StopParse = true;
                ++column;
            }
        });
        return !stopped;
    }

  private:
    std::string CellText(const XmlNode& cell) const {
        const std::string type = LocalAttribute(cell, "t");
        std::string value;
        for (int i = 0; i < cell.GetNodeCount(); ++i) {
            const XmlNode& part = *cell.GetNodes(i);
            if (LocalName(part) == "v") value = part.GetValueAsString();
            if (LocalName(part) == "is") AppendRunTexts(part, value);
        }
        if (type == "s") {
            const std::optional<std::int64_t> index = ParseInt(value);
            return index && *index >= 0 && static_cast<std::uint64_t>(*index) < strings_.size()
                       ? strings_[*index]
                       : std::string();
        }
        if (type == "inlineStr" || type == "str") return value;
        if (type == "b") return value.empty() ? value : BoolCellText(value != "0");
        if (type == "e") return {};
        if (type == "d") {  // an ISO date text
            std::replace(value.begin(), value.end(), 'T', ' ');
            return TrimMidnight(value.substr(0, 19));
        }
        if (value.empty()) return value;
        char* end = nullptr;
        const double number = std::strtod(value.c_str(), &end);
        if (*end != '\0') return value;
        const std::int64_t style = ParseInt(LocalAttribute(cell, "s")).value_or(0);
        return style >= 0 && static_cast<std::uint64_t>(style) < dateStyles_.size() && dateStyles_[style]
                   ? SerialDateText(number, book_.date1904)
                   : NumberCellText(number);
    }

    const Workbook& book_;
    const std::vector<std::string> strings_;
    const std::vector<bool> dateStyles_;
    std::size_t cells_ = 0;  // read so far, empty ones included
};

}  // namespace

void ReadXlsxCells(const std::filesystem::path& file, bool firstSheetOnly, const CellSink& sink) {
    ZipArchive zip(file);
    const Workbook book = ReadWorkbook(zip);
    SheetReader reader(book, ReadSharedStrings(zip, book.sharedStrings), ReadDateStyles(zip, book.styles));
    for (std::size_t sheet = 0; sheet < book.sheets.size() && !(firstSheetOnly && sheet > 0); ++sheet)
        if (!reader.Read(zip, sheet, sink)) return;
}

}  // namespace xunda
