#include "engine/mt_batch.h"

#include <climits>

#include "core/text_util.h"
#include "engine/reply_fields.h"

namespace xunda {

namespace {

bool SameKey(const MtRow& a, const MtRow& b) {
    return a.msg == b.msg && a.subNumber == b.subNumber && a.linkID == b.linkID && a.mtLevel == b.mtLevel;
}

bool IsInt32(std::optional<std::int64_t> number) {
    return number && *number >= INT_MIN && *number <= INT_MAX;
}

// A code stored as a row's flag: a 32-bit number like every result code. 0 and 1 would read as
// queued or accepted, so they become unknown.
std::int64_t FailureFlag(std::optional<std::int64_t> code) {
    return IsInt32(code) && *code != 0 && *code != 1 ? *code : kUnknownResultFlag;
}

}  // namespace

MtBatch TakeBatch(const std::vector<MtRow>& rows, std::vector<bool>& taken,
                  const std::function<bool()>& stop) {
    MtBatch batch;
    const MtRow* key = nullptr;
    for (std::size_t i = 0; i < rows.size() && !stop(); ++i) {
        if (taken[i] || (key && !SameKey(*key, rows[i]))) continue;
        key = &rows[i];
        taken[i] = true;
        batch.rows.push_back(i);
        if (!batch.Mobs.empty()) batch.Mobs += ',';
        batch.Mobs += rows[i].mob;
    }
    return batch;
}

BatchResult ReadBatchReply(int gatewayResult, const std::string& status,
                           const std::vector<std::string>& lines, const std::vector<std::int64_t>& ids) {
    BatchResult result;
    // A reply without any line brings no code of its own: never the previous request's.
    const std::string code = gatewayResult == 0 ? status : std::string();
    const std::optional<std::int64_t> number = ParseInt(code);
    result.code = IsInt32(number) ? static_cast<int>(*number) : 0;

    if (code != "100" && code != "200") {
        result.refused = true;
        result.flag = FailureFlag(number);
        return result;
    }
    for (std::size_t i = 0; i < ids.size(); ++i) {
        RowResult row{ids[i], kUnknownResultFlag, std::nullopt};
        if (i < lines.size()) {
            FieldSplit line = TakeField(lines[i]);
            if (line.field == "0") {
                row.flag = 1;
                row.mtID = ParseInt(line.rest);
            } else {
                row.flag = FailureFlag(ParseInt(line.rest));
            }
        }
        result.rows.push_back(row);
    }
    for (std::size_t i = ids.size(); i < lines.size(); ++i) result.extraLines.push_back(lines[i]);
    return result;
}

}  // namespace xunda
