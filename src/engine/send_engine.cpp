#include "engine/send_engine.h"

#include <exception>

#include "core/ports.h"
#include "engine/event_sound.h"
#include "engine/processing_state.h"
#include "gateway/result_text.h"
#include "gateway/sms_gateway.h"
#include "store/database.h"
#include "store/log.h"
#include "store/sql_text.h"

namespace xunda {

namespace {

constexpr int kUtf8Format = 2;

std::string JoinIds(const std::vector<std::int64_t>& ids) {
    std::string text;
    for (std::int64_t id : ids) {
        if (!text.empty()) text += ',';
        text += SqlInt(id);
    }
    return text;
}

}  // namespace

SendEngine::SendEngine(EngineServices services, std::chrono::milliseconds pause)
    : s_(services), pause_(pause) {}

void SendEngine::SetOutboxListener(std::function<void()> listener) {
    outboxListener_ = std::move(listener);
}

SendTick SendEngine::tick(Database& db, const Credentials& account) {
    if (!s_.online.IsOnline()) {
        // Only a running engine pauses and warns, so a tick can never stack up warnings.
        if (!s_.control.PauseEnabled()) return {SendTickResult::Offline, std::nullopt};
        s_.log.logit("网络故障");
        s_.control.btnSmsSendPauseClick();
        s_.prompts.Alert(kOfflineWarning);
        return {SendTickResult::WentOffline, std::nullopt};
    }
    if (s_.control.paused()) return {SendTickResult::Paused, std::nullopt};
    std::optional<RunFlag::Token> token = runFlag_.TryAcquire();
    if (!token) return {SendTickResult::Busy, std::nullopt};
    if (!IsSqlInt(account.corpID)) return {SendTickResult::Empty, std::nullopt};

    ResultSet rs = db.pAdoQuery("SELECT id, mob, msg, subNumber, linkID, mtLevel FROM mt WHERE corpID=" +
                                account.corpID + " AND flag=0 ORDER BY id LIMIT " + std::to_string(kMaxRows));
    if (rs.Empty()) return {SendTickResult::Empty, std::nullopt};
    std::vector<MtRow> rows;
    rows.reserve(rs.RecordCount());
    for (; !rs.Eof(); rs.Next())
        rows.push_back({rs.AsInt("id"), rs.AsString("mob"), rs.AsString("msg"), rs.AsString("subNumber"),
                        rs.AsString("linkID"), rs.AsString("mtLevel")});
    return {SendTickResult::Started, SendJob{&db, account, std::move(rows), std::move(*token)}};
}

void SendEngine::run(SendJob job) {
    std::vector<bool> taken(job.rows.size(), false);
    std::size_t sent = 0;
    try {
        while (sent < job.rows.size() && !s_.control.paused()) {
            MtBatch batch = TakeBatch(job.rows, taken, [this] { return s_.control.paused(); });
            if (batch.Empty()) break;  // paused before the first row
            sent += batch.rows.size();
            if (!SendBatch(job, batch)) break;
        }
    } catch (const std::exception& e) {
        s_.log.logit(std::string("发送短信失败:") + e.what());
    }
    // Also after a transport failure, so that rows accepted earlier in this run reach the history
    // (and their delivery reports find them) now.
    MoveAccepted(*job.db, job.account.corpID);
    if (outboxListener_) outboxListener_();
}

bool SendEngine::SendBatch(const SendJob& job, const MtBatch& batch) {
    const MtRow& key = job.rows[batch.rows.front()];
    std::string status;
    std::vector<std::string> lines;
    const int result =
        s_.gateway.PutMt(status, lines, kUtf8Format, job.account,
                         MtRequest{batch.Mobs, key.msg, key.mtLevel, key.subNumber, key.linkID});
    if (result > 0) {
        s_.log.logit("网络故障:  " + HttpStatusText(result));
        return false;
    }
    std::vector<std::int64_t> ids;
    ids.reserve(batch.rows.size());
    for (std::size_t row : batch.rows) ids.push_back(job.rows[row].id);
    const BatchResult reply = ReadBatchReply(result, status, lines, ids);

    s_.control.AddMt(static_cast<std::int64_t>(ids.size()));
    s_.log.logit("发送短信:" + key.msg);
    s_.log.logit("手机号码:(" + std::to_string(ids.size()) + ")个,返回结果:" + SmsResultText(reply.code));
    if (pause_.count() > 0) s_.sleeper.Sleep(pause_);

    // One transaction for the batch; should it fail, the statements once more one by one, so that
    // one bad statement cannot leave the whole batch queued to be sent again.
    Database& db = *job.db;
    if (!db.Transaction([&] { return StoreResults(db, ids, reply); })) StoreResults(db, ids, reply);
    for (const std::string& line : reply.extraLines) s_.log.logit("多余的返回结果:" + line);
    if (reply.refused) s_.sounds.Play(SoundEvent::SendError);
    return true;
}

bool SendEngine::StoreResults(Database& db, const std::vector<std::int64_t>& ids, const BatchResult& reply) {
    if (reply.refused)
        return db.pAdoCom("UPDATE mt SET flag=" + SqlInt(reply.flag) + " WHERE id IN (" + JoinIds(ids) + ")");
    bool ok = true;
    for (const RowResult& row : reply.rows) {
        if (row.flag == 1)
            ok &= db.pAdoCom("UPDATE mt SET mtID=" + (row.mtID ? SqlInt(*row.mtID) : std::string("NULL")) +
                             ", flag=1 WHERE id=" + SqlInt(row.id));
        else
            ok &= db.pAdoCom("UPDATE mt SET flag=" + SqlInt(row.flag) + " WHERE id=" + SqlInt(row.id));
    }
    return ok;
}

void SendEngine::MoveAccepted(Database& db, const std::string& corpID) {
    const std::string where = " FROM mt WHERE corpID=" + SqlInt(corpID) + " AND flag=1";
    db.Transaction([&] {
        return db.pAdoCom(
                   "INSERT INTO mt_bak (corpID, mtID, mtTime, mob, msg, subNumber, linkID, mtLevel, flag) "
                   "SELECT corpID, mtID, mtTime, mob, msg, subNumber, linkID, mtLevel, flag" +
                   where) &&
               db.pAdoCom("DELETE" + where);
    });
}

}  // namespace xunda
