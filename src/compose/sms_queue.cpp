#include "compose/sms_queue.h"

#include "compose/outbox_writer.h"
#include "store/sql_text.h"

namespace xunda {
namespace {

void RecordBroadcast(Database& db, Log& log, const std::string& corp, const SmsBatch& batch,
                     const BusyText& busyText) {
    log.logit("发送订阅短信");
    busyText("记录历史订阅短信");
    db.Transaction([&] {
        if (!db.pAdoCom("INSERT INTO histMsg (corpID,msgcontent) VALUES (" + corp + "," +
                        SqlQuote(batch.text) + ")"))
            return false;
        const std::string msgID = SqlInt(db.LastInsertId());
        for (const std::string& category : batch.categories) {
            if (!db.pAdoCom("INSERT INTO histMsgType (corpID, msgID, msgType) VALUES (" + corp + "," + msgID +
                            "," + SqlQuote(category) + ")"))
                return false;
        }
        return true;
    });
}

}  // namespace

void KeepLastSendMobs(Database& db, const std::string& corp, const std::vector<std::string>& mobs) {
    constexpr std::size_t kKept = 12;
    const std::size_t n = mobs.size();
    db.Transaction([&] {
        for (std::size_t i = n > kKept ? n - kKept : 0; i < n; ++i) {
            const std::string mob = SqlQuote(mobs[i]);
            if (!db.pAdoCom("DELETE FROM lastSendMobs WHERE corpID=" + corp + " AND mob=" + mob))
                return false;
            if (!db.pAdoCom("INSERT INTO lastSendMobs (corpID, mob) VALUES (" + corp + "," + mob + ")"))
                return false;
        }
        return true;
    });
}

std::size_t QueueSmsBatch(Database& db, Log& log, std::string_view corpID, const SmsBatch& batch,
                          const BusyText& busyText) {
    if (batch.text.empty()) return 0;
    const std::string corp = SqlInt(corpID);
    if (batch.broadcast) RecordBroadcast(db, log, corp, batch, busyText);
    const std::size_t n = batch.mobs.size();
    log.logit("发送的手机号码 " + std::to_string(n) + "个");
    OutboxWriter outbox(db, corpID);
    for (std::size_t i = 0; i < n; ++i) {
        const std::string& mob = batch.mobs[i];
        busyText("放入发送队列:(" + std::to_string(i + 1) + "/" + std::to_string(n) + ") " + mob);
        outbox.iMt(mob, batch.text, batch.subNumber, batch.linkID, MtLevelForPosition(i));
    }
    outbox.Commit();
    KeepLastSendMobs(db, corp, batch.mobs);
    log.logit("已经放入发送队列");
    return outbox.CommittedRows();
}

}  // namespace xunda
