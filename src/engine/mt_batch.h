// Grouping the selected outbox rows into requests, and what a request's reply means for its rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace xunda {

// One queued row of the outbox table mt, as the send tick selected it.
struct MtRow {
    std::int64_t id = 0;
    std::string mob;
    std::string msg;
    std::string subNumber;
    std::string linkID;
    std::string mtLevel;

    bool operator==(const MtRow&) const = default;
};

// The rows of one request: the first row not yet taken in this run together with every later
// row not yet taken whose text, long number, link id and priority equal its own.
struct MtBatch {
    std::vector<std::size_t> rows;  // positions in the selection, in the order they joined
    std::string Mobs;               // their numbers joined by ","

    bool Empty() const { return rows.empty(); }
};

// Takes the next batch out of `rows`, marking its rows in `taken` (one entry per row). `stop` is
// asked before each row (processing paused): the rows collected until then form the batch.
MtBatch TakeBatch(const std::vector<MtRow>& rows, std::vector<bool>& taken,
                  const std::function<bool()>& stop);

// Flag of rows whose result is unknown: the reply was empty or malformed, or had no line for the
// row, or the number holds "," and so cannot be told apart in a request. Shown as
// "未知错误消息:-3"; the user can resend such rows from the outbox page.
constexpr std::int64_t kUnknownResultFlag = -3;
// Flag of rows that were out in a request when the program ended before their results were
// stored: the service may have sent them. Never resent by themselves; shown as "未知错误消息:-4"
// in the outbox, where the user checks and resends by hand. (The service's own codes are
// positive; 0 and 1 mean queued and accepted.)
constexpr std::int64_t kPossiblySentFlag = -4;

struct RowResult {
    std::int64_t id = 0;
    std::int64_t flag = 0;             // 1 accepted, else the error code
    std::optional<std::int64_t> mtID;  // the service's message number of an accepted row
};

// What the reply of one request means.
struct BatchResult {
    int code = 0;          // the service's code read as a number (0 when it is none), for the log line
    bool refused = false;  // the whole request failed: every row gets `flag`
    std::int64_t flag = 0;
    std::vector<RowResult> rows;          // per number, when the reply was "100" or "200"
    std::vector<std::string> extraLines;  // result lines beyond the batch's numbers
};

// Reads a putMt reply for the batch's ids (in the order of its numbers). `gatewayResult` is 0 or
// -3 (a reply without any line); `status` is the reply's code, empty when there was none.
BatchResult ReadBatchReply(int gatewayResult, const std::string& status,
                           const std::vector<std::string>& lines, const std::vector<std::int64_t>& ids);

}  // namespace xunda
