#include "engine_fixture.h"

#include "store/sql_text.h"

namespace xunda::test {

int FakeGateway::PutMt(std::string& resultValue, std::vector<std::string>& replyLines, int msgFormat,
                       const Credentials& account, const MtRequest& mt, int, bool& replyLost) {
    check();
    calls.push_back({msgFormat, account, mt});
    FakeReply reply;
    if (!putReplies.empty()) {
        reply = std::move(putReplies.front());
        putReplies.pop_front();
    } else if (putHandler) {
        reply = putHandler(mt);
    } else {
        std::stringstream numbers(mt.Mobs);
        for (std::string mob; std::getline(numbers, mob, ',');)
            reply.lines.push_back("0," + std::to_string(nextMtID_++));
    }
    replyLines = reply.lines;
    replyLost = reply.lost;
    return Answer(reply, resultValue, true);
}

int FakeGateway::Poll(std::deque<FakeReply>& replies, std::string& code, std::vector<std::string>& lines) {
    check();
    FakeReply reply{0, "0", {}};
    if (!replies.empty()) {
        reply = std::move(replies.front());
        replies.pop_front();
    }
    lines = reply.lines;
    return Answer(reply, code, false);
}

int FakeGateway::Answer(const FakeReply& reply, std::string& code, bool send) {
    if (reply.result == 0) code = reply.code;
    if (!reply.lost && reply.result != 500) CountAnswer(send);
    return reply.result;
}

EngineTest::EngineTest() : db(Database::Create(dir / "TOLVI_DY.db", prompts)), log(dir / "LOG") {
    log.SetAccount(account.corpID);
    log.SetSink([this](const std::string& line) {
        std::lock_guard lock(logMutex_);
        logLines_.push_back(line);
    });
    gateway.check = desk.check = [this] {
        if (WriteLocked(db->Path())) ++callsInTransaction;
    };
}

void EngineTest::TearDown() {
    EXPECT_EQ(callsInTransaction, 0) << "a request, sound or rest while a write transaction was open";
}

std::int64_t EngineTest::Queue(const std::string& mob, const std::string& msg, const std::string& corpID) {
    db->pAdoCom("INSERT INTO mt (corpID, mob, msg, subNumber, linkID, mtLevel, flag) VALUES (" +
                SqlInt(corpID) + "," + SqlQuote(mob) + "," + SqlQuote(msg) + ",'','','1',0)");
    return db->LastInsertId();
}

int EngineTest::Logged(const std::string& text) {
    std::lock_guard lock(logMutex_);
    return static_cast<int>(std::count(logLines_.begin(), logLines_.end(), text));
}

}  // namespace xunda::test
