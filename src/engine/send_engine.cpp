#include "engine/send_engine.h"

#include <exception>
#include <map>
#include <set>

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

std::vector<std::int64_t> BatchIds(const SendJob& job, const MtBatch& batch) {
    std::vector<std::int64_t> ids;
    ids.reserve(batch.rows.size());
    for (std::size_t row : batch.rows) ids.push_back(job.rows[row].id);
    return ids;
}

}  // namespace

SendEngine::SendEngine(EngineServices services, std::chrono::milliseconds pause)
    : s_(services), pause_(pause), store_(services.log) {}

void SendEngine::SetOutboxListener(std::function<void()> listener) {
    outboxListener_ = std::move(listener);
}

SendTick SendEngine::tick(Database& db, const Credentials& account) {
    // First, so that going offline later cannot leave it to pause a user who has resumed since.
    if (stalled_.exchange(false)) {
        if (s_.control.PauseEnabled()) s_.control.btnSmsSendPauseClick();
        s_.prompts.Alert(kStalledWarning);
        return {SendTickResult::Stalled, std::nullopt};
    }
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
    if (AwaitingAnswer() && held_.empty()) return {SendTickResult::Waiting, std::nullopt};

    // With no run active, a marked row whose results this engine does not hold was out in a
    // request of an earlier program run.
    if (held_.empty()) RecoverInterrupted(db, account.corpID);
    ResultSet rs = db.pAdoQuery("SELECT id, mob, msg, subNumber, linkID, mtLevel FROM mt WHERE corpID=" +
                                account.corpID + " AND flag=0 AND id NOT IN (SELECT id FROM mt_sending)" +
                                " ORDER BY id LIMIT " + std::to_string(kMaxRows));
    if (rs.Empty() && held_.empty()) return {SendTickResult::Empty, std::nullopt};
    std::vector<MtRow> rows;
    rows.reserve(rs.RecordCount());
    for (; !rs.Eof(); rs.Next())
        rows.push_back({rs.AsInt("id"), rs.AsString("mob"), rs.AsString("msg"), rs.AsString("subNumber"),
                        rs.AsString("linkID"), rs.AsString("mtLevel")});
    return {SendTickResult::Started, SendJob{&db, account, std::move(rows), std::move(*token)}};
}

void SendEngine::RecoverInterrupted(Database& db, const std::string& corpID) {
    const std::string marked =
        " WHERE corpID=" + corpID + " AND flag=0 AND id IN (SELECT id FROM mt_sending)";
    ResultSet rs = db.pAdoQuery("SELECT mob FROM mt" + marked + " ORDER BY id");
    if (rs.Empty()) return;
    std::string mobs;
    for (; !rs.Eof(); rs.Next()) mobs += (mobs.empty() ? "" : ",") + rs.AsString("mob");
    const bool stored = db.Transaction([&] {
        return db.pAdoCom("UPDATE mt SET flag=" + SqlInt(kPossiblySentFlag) + marked) &&
               db.pAdoCom("DELETE FROM mt_sending WHERE id IN (SELECT id FROM mt WHERE corpID=" + corpID +
                          ")");
    });
    if (stored) s_.log.logit(kPossiblySentText + mobs);
}

bool SendEngine::AwaitingAnswer() {
    if (!lostAt_ || s_.gateway.Answers() == *lostAt_) return lostAt_.has_value();
    lostAt_.reset();
    s_.log.logit(kAnsweredText);
    return false;
}

void SendEngine::run(SendJob job) {
    std::vector<bool> taken(job.rows.size(), false);
    // Results held from an earlier run may belong to another account: its accepted rows move too.
    std::set<std::string> accounts{job.account.corpID};
    for (const HeldResult& held : held_) accounts.insert(held.corpID);
    try {
        RefuseCommaNumbers(job, taken);
        bool go = StoreHeld(*job.db);
        while (go && !s_.control.paused() && !AwaitingAnswer()) {
            MtBatch batch = TakeBatch(job.rows, taken, [this] { return s_.control.paused(); });
            if (batch.Empty()) break;  // all sent, or paused before the first row
            go = SendBatch(job, batch);
        }
    } catch (const std::exception& e) {
        s_.log.logit(std::string("发送短信失败:") + e.what());
    }
    // Also after a transport failure, so that rows accepted earlier in this run reach the history
    // (and their delivery reports find them) now.
    if (held_.empty())
        for (const std::string& corpID : accounts) MoveAccepted(*job.db, corpID);
    if (outboxListener_) outboxListener_();
}

void SendEngine::RefuseCommaNumbers(const SendJob& job, std::vector<bool>& taken) {
    HeldResult refused{job.account.corpID, {}, {.refused = true, .flag = kUnknownResultFlag}};
    for (std::size_t i = 0; i < job.rows.size(); ++i) {
        if (job.rows[i].mob.find(',') == std::string::npos) continue;
        taken[i] = true;
        refused.ids.push_back(job.rows[i].id);
        s_.log.logit("号码含有\",\",不能发送:" + job.rows[i].mob);
    }
    if (!refused.ids.empty()) held_.push_back(std::move(refused));
}

bool SendEngine::SendBatch(const SendJob& job, MtBatch batch) {
    Database& db = *job.db;
    // Marked (committed) before the request, so that a program ended before the results are
    // stored never sends these rows again by itself.
    if (!store_.Store(db, [&] { return MarkStillQueued(job, batch); })) return false;
    if (batch.Empty()) return true;  // every row of it was deleted or changed since the tick
    const MtRow& key = job.rows[batch.rows.front()];
    const std::vector<std::int64_t> ids = BatchIds(job, batch);

    std::string status;
    std::vector<std::string> lines;
    bool replyLost = false;
    const std::uint64_t answered = s_.gateway.SendAnswers();
    const int result = s_.gateway.PutMt(
        status, lines, kUtf8Format, job.account,
        MtRequest{batch.Mobs, key.msg, key.mtLevel, key.subNumber, key.linkID}, kDirectConnection, replyLost);
    if (s_.gateway.SendAnswers() != answered) lostSends_ = 0;
    if (result > 0) {
        s_.log.logit("网络故障:  " + HttpStatusText(result));
        if (replyLost) {
            ReplyLost(job, batch, ids);
        } else {
            // The request never reached the service: the rows stay queued for the next tick (a
            // mark that cannot be cleared makes them possibly sent at the next start instead).
            store_.Store(
                db, [&] { return db.pAdoCom("DELETE FROM mt_sending WHERE id IN (" + JoinIds(ids) + ")"); });
        }
        return false;
    }
    held_.push_back({job.account.corpID, ids, ReadBatchReply(result, status, lines, ids)});
    const BatchResult reply = held_.back().result;
    const bool stored = StoreHeld(db);

    s_.control.AddMt(static_cast<std::int64_t>(ids.size()));
    s_.log.logit("发送短信:" + key.msg);
    s_.log.logit("手机号码:(" + std::to_string(ids.size()) + ")个,返回结果:" + SmsResultText(reply.code));
    LogOddResults(job, batch, lines, reply);
    if (reply.refused) s_.sounds.Play(SoundEvent::SendError);
    if (stored && pause_.count() > 0) s_.sleeper.Sleep(pause_);
    return stored;
}

bool SendEngine::MarkStillQueued(const SendJob& job, MtBatch& batch) {
    Database& db = *job.db;
    ResultSet rs = db.pAdoQuery(
        "SELECT id, mob, msg, subNumber, linkID, mtLevel FROM mt WHERE corpID=" + job.account.corpID +
        " AND flag=0 AND id IN (" + JoinIds(BatchIds(job, batch)) +
        ") AND id NOT IN (SELECT id FROM mt_sending)");
    if (!rs.Ok()) return false;
    std::map<std::int64_t, MtRow> queued;
    for (; !rs.Eof(); rs.Next())
        queued[rs.AsInt("id")] = {rs.AsInt("id"),           rs.AsString("mob"),    rs.AsString("msg"),
                                  rs.AsString("subNumber"), rs.AsString("linkID"), rs.AsString("mtLevel")};
    MtBatch kept;
    for (std::size_t row : batch.rows) {
        const auto now = queued.find(job.rows[row].id);
        if (now == queued.end() || !(now->second == job.rows[row])) continue;
        kept.rows.push_back(row);
        kept.Mobs += (kept.Mobs.empty() ? "" : ",") + job.rows[row].mob;
    }
    batch = std::move(kept);
    return batch.Empty() || db.pAdoCom("INSERT INTO mt_sending (id) SELECT id FROM mt WHERE id IN (" +
                                       JoinIds(BatchIds(job, batch)) + ")");
}

void SendEngine::ReplyLost(const SendJob& job, const MtBatch& batch, const std::vector<std::int64_t>& ids) {
    // The service may have accepted the batch: never sent again by itself.
    s_.log.logit(kPossiblySentText + batch.Mobs);
    held_.push_back({job.account.corpID, ids, {.refused = true, .flag = kPossiblySentFlag}});
    lostAt_ = s_.gateway.Answers();
    if (++lostSends_ >= 2) {
        s_.log.logit(kStalledWarning);
        // A user who paused meanwhile resumes when ready; no box pauses them again then.
        if (!s_.control.paused()) stalled_ = true;
    }
    StoreHeld(*job.db);
}

void SendEngine::LogOddResults(const SendJob& job, const MtBatch& batch,
                               const std::vector<std::string>& lines, const BatchResult& reply) {
    for (std::size_t i = 0; i < reply.rows.size(); ++i) {
        const std::string& mob = job.rows[batch.rows[i]].mob;
        if (i >= lines.size())
            s_.log.logit("号码没有返回结果:" + mob);
        else if (reply.rows[i].flag == 1 && !reply.rows[i].mtID)
            s_.log.logit("号码已发送,消息编号无法识别:" + mob + "(" + lines[i] + ")");
    }
    for (const std::string& line : reply.extraLines) s_.log.logit("多余的返回结果:" + line);
}

bool SendEngine::StoreHeld(Database& db) {
    if (held_.empty()) return true;
    const bool stored = store_.Store(db, [&] {
        for (const HeldResult& held : held_) {
            const BatchResult& reply = held.result;
            if (reply.refused && !db.pAdoCom("UPDATE mt SET flag=" + SqlInt(reply.flag) + " WHERE id IN (" +
                                             JoinIds(held.ids) + ")"))
                return false;
            for (const RowResult& row : reply.rows) {
                const std::string set = row.flag == 1
                                            ? "mtID=" + (row.mtID ? SqlInt(*row.mtID) : "NULL") + ", flag=1"
                                            : "flag=" + SqlInt(row.flag);
                if (!db.pAdoCom("UPDATE mt SET " + set + " WHERE id=" + SqlInt(row.id))) return false;
            }
            if (!db.pAdoCom("DELETE FROM mt_sending WHERE id IN (" + JoinIds(held.ids) + ")")) return false;
        }
        return true;
    });
    if (stored) held_.clear();
    return stored;
}

void SendEngine::MoveAccepted(Database& db, const std::string& corpID) {
    const std::string where = " FROM mt WHERE corpID=" + SqlInt(corpID) + " AND flag=1";
    const auto move = [&] {
        return db.pAdoCom(
                   "INSERT INTO mt_bak (corpID, mtID, mtTime, mob, msg, subNumber, linkID, mtLevel, flag) "
                   "SELECT corpID, mtID, mtTime, mob, msg, subNumber, linkID, mtLevel, flag" +
                   where) &&
               db.pAdoCom("DELETE" + where);
    };
    db.Transaction(move, store_.Failing());  // quiet while the job's stores fail
}

}  // namespace xunda
