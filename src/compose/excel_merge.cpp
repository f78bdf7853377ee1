#include "compose/excel_merge.h"

#include <algorithm>

#include "compose/number_extract.h"
#include "compose/outbox_writer.h"
#include "compose/text_rules.h"
#include "core/codepage.h"
#include "core/file_write.h"
#include "core/text_util.h"
#include "store/sql_text.h"

namespace xunda {
namespace {

// Most bytes a row's text may hold while its placeholders are filled. Unless cells bring placeholders
// of later columns, a text is never longer on the way than its template and its final text together
// (under 800 bytes of UTF-8 for a row within the 255-byte limit); a row passing this is left out as
// too long, so that a few cells cannot make gigabytes of text.
constexpr std::size_t kFillingBytes = 4096;

// `text` with every occurrence of `search` (not empty) replaced by `value`, ASCII letters compared
// without case; false, with `text` as it was, when that would pass kFillingBytes.
bool ReplaceAllNoCase(std::string& text, std::string_view search, std::string_view value) {
    std::string out;
    std::size_t from = 0;
    for (auto found = FindNoCase(text, search); found != std::string::npos;
         found = FindNoCase(text, search, from)) {
        out.append(text, from, found - from).append(value);
        from = found + search.size();
        if (out.size() > kFillingBytes) return false;
    }
    out.append(text, from);
    if (out.size() > kFillingBytes) return false;
    text = std::move(out);
    return true;
}

// The smallest column number k above `after` (any, when nullopt) and below `columns` whose
// placeholder "[第k列]" the text holds. The placeholders hold no letters, so their case does not
// matter here.
std::optional<std::size_t> NextPlaceholder(std::string_view text, std::optional<std::size_t> after,
                                           std::size_t columns) {
    constexpr std::string_view open = "[第", close = "列]";
    std::optional<std::size_t> next;
    for (std::size_t at = text.find(open); at != std::string_view::npos; at = text.find(open, at + 1)) {
        const std::size_t digits = at + open.size();
        std::size_t end = digits;
        while (end < text.size() && end - digits < 6 && text[end] >= '0' && text[end] <= '9') ++end;
        if (end == digits || (text[digits] == '0' && end > digits + 1) ||
            text.substr(end, close.size()) != close)
            continue;  // no number, or one no column is named by ("第01列")
        const auto k = static_cast<std::size_t>(*ParseInt(text.substr(digits, end - digits)));
        if (k < columns && (!after || k > *after) && (!next || k < *next)) next = k;
    }
    return next;
}

}  // namespace

std::string ExcelColumnName(std::size_t k) {
    return "第" + std::to_string(k) + "列";
}

std::optional<std::string> CheckExcelTemplate(std::string_view cleanedTemplate, std::size_t rows) {
    if (ExceedsSmsLimit(cleanedTemplate)) return std::string(kSmsTooLongText);
    if (cleanedTemplate.empty()) return "请输入短信内容!";
    if (rows == 0) return "请先打开EXCEL文件!";
    return std::nullopt;
}

std::vector<std::string> GenerateExcelLines(const SheetGrid& grid, std::string_view cleanedTemplate,
                                            std::string_view phoneColumn) {
    std::optional<std::size_t> phone;
    for (std::size_t k = 0; k < grid.Columns() && !phone; ++k)
        if (ExcelColumnName(k) == phoneColumn) phone = k;
    if (!phone) return {};
    std::vector<std::string> lines;
    for (std::size_t r = 0; r < grid.Rows(); ++r) {
        // Column by column, those whose placeholder the text holds: the others would change nothing.
        std::string text(cleanedTemplate);
        bool fits = true;
        for (auto k = NextPlaceholder(text, std::nullopt, grid.Columns()); fits && k;
             k = NextPlaceholder(text, k, grid.Columns()))
            fits = ReplaceAllNoCase(text, "[" + ExcelColumnName(*k) + "]", grid.Cell(r, *k));
        if (!fits || text.empty() || ExceedsSmsLimit(text)) continue;
        const std::vector<std::string> mobs = ExtractMobs(grid.Cell(r, *phone));
        if (!mobs.empty()) lines.push_back(mobs.front() + " , " + text);
    }
    return lines;
}

std::size_t QueueExcelLines(Database& db, Log& log, std::string_view corpID,
                            const std::vector<std::string>& lines, std::string_view subNumber,
                            std::string_view linkID, const BusyText& busyText) {
    const std::size_t n = lines.size();
    log.logit("发送EXCEL表格短信的手机号码 " + std::to_string(n) + "个");
    OutboxWriter outbox(db, corpID);
    std::vector<std::string> mobs;
    mobs.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::string_view line = lines[i];
        const std::size_t comma = std::min(line.find(','), line.size());
        const std::string mob(TrimControls(line.substr(0, comma)));
        const std::string_view text = TrimControls(line.substr(std::min(comma + 1, line.size())));
        busyText("放入发送队列:(" + std::to_string(i + 1) + "/" + std::to_string(n) + ") " + mob);
        outbox.iMt(mob, text, subNumber, linkID, MtLevelForPosition(i));
        mobs.push_back(mob);
    }
    outbox.Commit();
    KeepLastSendMobs(db, SqlInt(corpID), mobs);
    log.logit("已经放入发送队列");
    return outbox.CommittedRows();
}

bool SaveExcelLines(const std::filesystem::path& file, const std::vector<std::string>& lines) {
    std::string text = "\xEF\xBB\xBF";
    for (const std::string& line : lines) text += line + "\r\n";
    return WriteWholeFile(file, text);
}

}  // namespace xunda
