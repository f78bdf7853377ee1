// Bulk subscribing: numbers added to the subscribers, each subscribed to the ticked categories
// with an expiry date (an existing subscription only gets the new expiry), and the personal data
// of a single number.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compose/sms_queue.h"

namespace xunda {

class Database;
class Log;
class Prompts;

// Everything a run needs, read from the page when it starts.
struct BulkSubscribeInput {
    std::vector<std::string> mobs;        // the tidied numbers, in order
    std::vector<std::string> categories;  // the ticked categories, in list order
    std::string userName;                 // trimmed; stored only for a single number
    std::string nickName;
    std::optional<std::string> bir;  // "YYYY-MM-DD 00:00:00"; none when the picker shows today
    std::string dgTimeOut;           // "YYYY-MM-DD 00:00:00"
};

using SleepFor = std::function<void(std::chrono::milliseconds)>;

// The first checks of "批量添加或更新手机号码的订阅关系": the name and the nickname fit 10 bytes.
bool CheckPersonalData(Prompts& prompts, std::string_view userName, std::string_view nickName);
// After the numbers were tidied: the notice when there is none, else the question; true on Yes.
bool ConfirmBulkSubscribe(Prompts& prompts, std::size_t count);

// The run (on a worker). Numbers go in chunks of 100, each after a rest of 100 ms (`sleep`) and in
// one transaction: a refused statement is reported once and costs only itself; an error that ends
// the transaction is reported once, undoes its chunk, and the run goes on with the next.
// The busy window follows "正在处理: (<i>/<n>) <number>"; the log gets "订阅开始:<n>个手机号码" and
// "用户资料处理结束".
void BulkSubscribe(Database& db, Log& log, std::string_view corpID, const BulkSubscribeInput& input,
                   const BusyText& busyText, const SleepFor& sleep);

}  // namespace xunda
