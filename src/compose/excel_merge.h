// The Excel page's mail merge: one message per worksheet row from a template with column
// placeholders, and queueing the generated lines.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compose/office_readers.h"
#include "compose/sms_queue.h"

namespace xunda {

// The name of the k-th column (from 0): "第" + k + "列"; its placeholder is "[" + name + "]".
std::string ExcelColumnName(std::size_t k);

// The refusal for a cleaned template over a grid of `rows` rows, in the order checked, or
// nullopt: "文字总长超255,请缩短信内容!", "请输入短信内容!", "请先打开EXCEL文件!".
std::optional<std::string> CheckExcelTemplate(std::string_view cleanedTemplate, std::size_t rows);

// The lines number + " , " + text, one per row that yields both: every "[第k列]" of the template
// is replaced (ignoring letter case, column by column) by the row's cell; the number is the first
// one ExtractMobs finds in the cell of the column named `phoneColumn`; the text must be 1 to 255
// bytes (GBK). Other rows are left out, and so is a row whose cells hold placeholders of later
// columns that make its text pass 4 KiB on the way.
std::vector<std::string> GenerateExcelLines(const SheetGrid& grid, std::string_view cleanedTemplate,
                                            std::string_view phoneColumn);

// Queues generated lines for the account (run on a worker): logs "发送EXCEL表格短信的手机号码 <n>个",
// queues each line (the trimmed text before its first comma is the number, the trimmed rest the
// text) through OutboxWriter::iMt with the priority of its position, showing
// "放入发送队列:(<i>/<n>) <number>", keeps the last numbers (KeepLastSendMobs) and logs
// "已经放入发送队列". Returns the number of rows committed to the outbox.
std::size_t QueueExcelLines(Database& db, Log& log, std::string_view corpID,
                            const std::vector<std::string>& lines, std::string_view subNumber,
                            std::string_view linkID, const BusyText& busyText);

// Writes the lines to `file` (UTF-8 with a byte-order mark, CRLF after each line), replacing it;
// false when it cannot be written.
bool SaveExcelLines(const std::filesystem::path& file, const std::vector<std::string>& lines);

}  // namespace xunda
