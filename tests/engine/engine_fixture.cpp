#include "engine_fixture.h"

#include <sstream>

#include "store/sql_text.h"

namespace xunda::test {

int FakeGateway::PutMt(std::string& resultValue, std::vector<std::string>& replyLines, int msgFormat,
                       const Credentials& account, const MtRequest& mt) {
    FakeReply reply;
    PutHandler handler;
    {
        std::lock_guard lock(mutex_);
        calls.push_back({msgFormat, account, mt});
        if (!putReplies.empty()) {
            reply = std::move(putReplies.front());
            putReplies.pop_front();
        } else if (putHandler) {
            handler = putHandler;
        } else {
            std::stringstream numbers(mt.Mobs);
            for (std::string mob; std::getline(numbers, mob, ',');)
                reply.lines.push_back("0," + std::to_string(nextMtID++));
        }
    }
    if (handler) reply = handler(mt);  // outside the lock: a handler may block
    replyLines = reply.lines;
    if (reply.result == 0) resultValue = reply.code;
    return reply.result;
}

int FakeGateway::Poll(std::deque<FakeReply>& replies, std::string& code, std::vector<std::string>& lines) {
    FakeReply reply{0, "0", {}};
    if (!replies.empty()) {
        reply = std::move(replies.front());
        replies.pop_front();
    }
    lines = reply.lines;
    if (reply.result == 0) code = reply.code;
    return reply.result;
}

EngineTest::EngineTest() : db(Database::Create(dir / "TOLVI_DY.db", prompts)), log(dir / "LOG") {
    log.SetAccount(account.corpID);
    log.SetSink([this](const std::string& line) {
        std::lock_guard lock(logMutex_);
        logLines_.push_back(line);
    });
}

std::int64_t EngineTest::Queue(const std::string& mob, const std::string& msg, const std::string& corpID,
                               const std::string& subNumber, const std::string& linkID,
                               const std::string& mtLevel) {
    db->pAdoCom("INSERT INTO mt (corpID, mob, msg, subNumber, linkID, mtLevel, flag) VALUES (" +
                SqlInt(corpID) + "," + SqlQuote(mob) + "," + SqlQuote(msg) + "," + SqlQuote(subNumber) + "," +
                SqlQuote(linkID) + "," + mtLevel + ",0)");
    return db->LastInsertId();
}

std::string EngineTest::Value(const std::string& sql) {
    ResultSet rs = db->pAdoQuery(sql);
    if (rs.Eof()) return "";
    const ResultSet::Value& v = rs.At(0, 0);
    return v ? *v : "NULL";
}

std::int64_t EngineTest::Count(const std::string& sql) {
    return std::stoll(Value(sql));
}

std::vector<std::string> EngineTest::LogLines() {
    std::lock_guard lock(logMutex_);
    return logLines_;
}

int EngineTest::Logged(const std::string& text) {
    int n = 0;
    for (const std::string& line : LogLines()) n += line == text;
    return n;
}

}  // namespace xunda::test
