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

// Every occurrence of `search` (not empty) in `text` replaced by `value`, ASCII letters compared without
// case.
void ReplaceAllNoCase(std::string& text, std::string_view search, std::string_view value) {
    std::string out;
    std::size_t from = 0;
    for (auto found = FindNoCase(text, search); found != std::string::npos;
         found = FindNoCase(text, search, from)) {
        out.append(text, from, found - from).append(value);
        from = found + search.size();
    }
    text = std::move(out.append(text, from));
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
    std::vector<std::string> placeholders;
    std::optional<std::size_t> phone;
    for (std::size_t k = 0; k < grid.Columns(); ++k) {
        const std::string name = ExcelColumnName(k);
        if (name == phoneColumn) phone = k;
        placeholders.push_back("[" + name + "]");
    }
    std::vector<std::string> lines;
    for (std::size_t r = 0; r < grid.Rows(); ++r) {
        std::string text(cleanedTemplate);
        for (std::size_t k = 0; k < grid.Columns(); ++k)
            ReplaceAllNoCase(text, placeholders[k], grid.Cell(r, k));
        if (!phone || text.empty() || ExceedsSmsLimit(text)) continue;
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
