// Queueing a confirmed batch: the broadcast record, one outbox row per number and the last-used
// numbers.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "compose/send_checks.h"
#include "store/database.h"
#include "store/log.h"

namespace xunda {

// Receives the busy window's text while a batch is queued.
using BusyText = std::function<void(const std::string&)>;

// Queues `batch` for the account `corpID` (the worker's part of sending; run it on a worker with
// the page disabled):
//  - for a broadcast: logs "发送订阅短信", shows "记录历史订阅短信" and records the text in histMsg with
//    one histMsgType row per category of the batch;
//  - logs "发送的手机号码 <n>个", then queues every number through OutboxWriter::iMt with its priority,
//    showing "放入发送队列:(<i>/<n>) <number>";
//  - keeps the last numbers (KeepLastSendMobs);
//  - logs "已经放入发送队列".
// An empty text queues nothing. Database errors are reported by the store and the queueing goes
// on. Returns the number of rows committed to the outbox.
std::size_t QueueSmsBatch(Database& db, Log& log, std::string_view corpID, const SmsBatch& batch,
                          const BusyText& busyText);

// Records the last twelve numbers of a batch in lastSendMobs for the account `corp` (an SQL
// number), each after removing its older rows, so that no number is listed twice.
void KeepLastSendMobs(Database& db, const std::string& corp, const std::vector<std::string>& mobs);

}  // namespace xunda
