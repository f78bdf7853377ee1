// The inbox and report pollers: back-off, line parsing and what they store.
#include <gtest/gtest.h>

#include "engine/mo_poller.h"
#include "engine/report_poller.h"
#include "engine_fixture.h"
#include "gateway/service_gateway.h"
#include "sms-sim/sms_sim.h"

namespace xunda::test {
namespace {
using namespace std::string_literals;

class PollerTest : public EngineTest {
  protected:
    // One tick and, when it starts one, the poll; the interval afterwards.
    int TickAndPoll(Poller& poller) { return TickAndPoll(poller, account); }
    int TickAndPoll(Poller& poller, const Credentials& who) {
        std::optional<PollJob> job = poller.tick(*db, who);
        if (job) poller.poll(std::move(*job));
        return poller.interval();
    }

    MoPoller mo{Services()};
    ReportPoller report{Services()};
};

TEST_F(PollerTest, IntervalBacksOffOnEmptyAnswersAndResetsOnData) {
    gateway.moReplies = {{0, "0", {}}, {0, "0", {}}, {500, "", {}}, {-3, "", {}}, {0, "100", {}}};
    for (int expected : {3000, 4000, 4000, 5000, 2000}) EXPECT_EQ(TickAndPoll(mo), expected);
    EXPECT_EQ(Logged("Internal Server Error"), 1);   // a transport failure leaves the interval
    EXPECT_EQ(Logged("接收短信:收到(0)条短信"), 1);  // data, even none, resets it
    for (int i = 0; i < 19; ++i) TickAndPoll(report);
    EXPECT_EQ(report.interval(), 20000);
    EXPECT_EQ(TickAndPoll(report), 20000);
}

TEST_F(PollerTest, NoPollWhileOfflineOrPausedOrRunning) {
    desk.online = false;
    EXPECT_FALSE(mo.tick(*db, account));
    desk.online = true;
    desk.btnSmsSendPauseClick();
    EXPECT_FALSE(report.tick(*db, account));
    desk.btnSmsSendPauseClick();
    std::optional<PollJob> job = mo.tick(*db, account);
    ASSERT_TRUE(job);
    EXPECT_FALSE(mo.tick(*db, account));
    EXPECT_TRUE(report.tick(*db, account));  // the jobs are independent
    mo.poll(std::move(*job));
    EXPECT_FALSE(mo.Busy());
}

TEST_F(PollerTest, IncomingMessagesAreParsedCutAndStored) {
    const std::string longText = std::string(254, 'a') + "中文";  // the 255-byte cut falls inside 中
    gateway.moReplies.push_back(
        {0,
         "100",
         {" x,77,20240102030405,13800000001,10657000, hello, world \r",
          "x,78,20240102030405,123456789012345678901234,106570001234567890123," + longText,
          "x,79,20240102240000,131,106,hour 24", "x,80,20240102030405,131,106,   ",
          "x,notanumber,20241301030405,131,106,it's kept", "too short"}});
    TickAndPoll(mo);

    EXPECT_EQ(desk.played, std::vector<SoundEvent>{SoundEvent::Incoming});
    EXPECT_EQ(Logged("接收短信:收到(6)条短信"), 1);
    EXPECT_EQ(desk.mo, 6);
    EXPECT_EQ(
        Value("SELECT group_concat(IFNULL(moID, 'NULL') || '|' || moTime || '|' || mob || '|' || destID || "
              "'|' || msg || '|' || corpID || '|' || flag, '\n') FROM mo WHERE length(msg) < 100"),
        "77|2024-01-02 03:04:05|13800000001|10657000|hello, world|10001|0\n"
        "79|2026-03-04 05:06:07|131|106|hour 24|10001|0\n"
        "NULL|2026-03-04 05:06:07|131|106|it's kept|10001|0\n"
        "NULL|2026-03-04 05:06:07|||too short|10001|0");  // no row for the blank text
    EXPECT_EQ(Value("SELECT mob || '|' || destID || '|' || msg FROM mo WHERE moID=78"),
              "12345678901234567890|10657000123456789012|" + std::string(254, 'a'));
    EXPECT_EQ(FormatMoTime("202401", 0), "2024-01- ::");
    EXPECT_EQ(FormatMoTime("240102030405", 1), "24-01-02 03:04:05");  // a two-digit year
    EXPECT_EQ(FormatMoTime("20240102030405", -1), "20-24-01 02:03:04");
    EXPECT_EQ(FormatMoTime("2401", 2), "24-01- ::");
    EXPECT_TRUE(prompts.notices().empty());
}

TEST_F(PollerTest, ReportsUpdateTheAccountsHistoryRowByMessageNumber) {
    for (std::string row : {"10001, 9001", "20002, 9001", "10001, 4294967296", "10001, 9223372036854775807",
                            "10001, 7", "10001, 0", "10001, 8"})
        Exec("INSERT INTO mt_bak (corpID, mtID, mob, flag) VALUES (" + row + ", '131', 1)");
    const std::vector<std::string> lines = {
        "9001,0", "4294967296,2", "9223372036854775807,255", "0,0", "abc,1", "7,", "7", " 7 , 3 ", "8,it's"};
    gateway.reportReplies.push_back({0, "100", lines});
    TickAndPoll(report);
    EXPECT_EQ(desk.played, std::vector<SoundEvent>{SoundEvent::Report});
    EXPECT_EQ(Logged("短信收条:收到(9)个状态报告"), 1);
    EXPECT_EQ(desk.report, 9);
    EXPECT_EQ(Value("SELECT group_concat(corpID || ':' || mtID || '=' || IFNULL(mstatus, 'NULL'), ' ') "
                    "FROM mt_bak"),
              "10001:9001=0 20002:9001=NULL 10001:4294967296=2 10001:9223372036854775807=255 10001:7=3 "
              "10001:0=NULL 10001:8=it's");
}

// A full disk or a locked file: what was fetched is held (and logged), and every poll stores it
// again, quietly, before it asks the service for more; once stored, polling goes on by itself.
TEST_F(PollerTest, WhatCannotBeStoredIsHeldAndTriedAgainQuietlyBeforeTheNextFetch) {
    Exec("INSERT INTO mt_bak (corpID, mtID, mob, flag) VALUES (10001, 5, '131', 1)");
    Exec("CREATE TRIGGER no_mo BEFORE INSERT ON mo BEGIN SELECT RAISE(ABORT, 'full'); END");
    Exec("CREATE TRIGGER no_report BEFORE UPDATE ON mt_bak BEGIN SELECT RAISE(ABORT, 'full'); END");
    gateway.moReplies = {{0, "100", {"x,1,20240102030405,131,106,hello"}}, {0, "100", {"x,2,,131,106,next"}}};
    gateway.reportReplies = {{0, "100", {"5,DELIVRD"}}, {0, "100", {"5,LATER"}}};
    TickAndPoll(mo);
    TickAndPoll(report);
    EXPECT_EQ(Logged("接收短信保存失败:x,1,20240102030405,131,106,hello"), 1);
    EXPECT_EQ(Logged("短信收条保存失败:5,DELIVRD"), 1);
    for (int tick = 0; tick < 3; ++tick) TickAndPoll(mo);  // still full: the service is not asked
    EXPECT_EQ(gateway.moReplies.size(), 1u);
    EXPECT_EQ(Logged(kStoreFailedText), 2);
    EXPECT_EQ(prompts.notices().size(), 2u);
    EXPECT_EQ(desk.toggles, 0);
    Exec("DROP TRIGGER no_mo");
    Exec("DROP TRIGGER no_report");
    TickAndPoll(mo);
    TickAndPoll(report);
    EXPECT_EQ(Logged(kStoreResumedText), 2);
    EXPECT_EQ(Value("SELECT group_concat(msg) FROM mo"), "hello,next");
    EXPECT_EQ(Value("SELECT mstatus FROM mt_bak"), "LATER");
}

// Lines held for one account are stored under it, also when the next poll runs for another.
TEST_F(PollerTest, HeldLinesKeepTheAccountTheyWereReadFor) {
    Exec("INSERT INTO mt_bak (corpID, mtID, mob, flag) VALUES (10001, 5, '131', 1), (20002, 6, '141', 1)");
    Exec("CREATE TRIGGER no_mo BEFORE INSERT ON mo BEGIN SELECT RAISE(ABORT, 'locked'); END");
    Exec("CREATE TRIGGER no_report BEFORE UPDATE ON mt_bak BEGIN SELECT RAISE(ABORT, 'locked'); END");
    gateway.moReplies = {{0, "100", {"x,1,20240102030405,131,106,for A", "x,2,20240102030405,132,106,A too"}},
                         {0, "100", {"x,3,20240102030405,141,106,for B"}}};
    gateway.reportReplies = {{0, "100", {"5,DELIVRD"}}, {0, "100", {"6,UNDELIV"}}};
    TickAndPoll(mo);
    TickAndPoll(report);
    Exec("DROP TRIGGER no_mo");
    Exec("DROP TRIGGER no_report");
    const Credentials other{"20002", "other", "pw2"};  // the account changed meanwhile
    TickAndPoll(mo, other);
    TickAndPoll(report, other);
    EXPECT_EQ(Value("SELECT group_concat(corpID || ':' || msg) FROM mo"),
              "10001:for A,10001:A too,20002:for B");
    EXPECT_EQ(Value("SELECT group_concat(corpID || ':' || mtID || '=' || mstatus) FROM mt_bak"),
              "10001:5=DELIVRD,20002:6=UNDELIV");
}

// Over real sockets: a NUL byte inside a reply ends neither the text nor the reply; it is dropped
// alone and the line logged.
TEST_F(PollerTest, ANulByteInAReplyLosesNothing) {
    sim::SmsSimulator service({.accounts = {{"demo", "secret", "10001", "g", "p"}}});
    service.Start();
    ServiceGateway http({.host = service.Host(), .timeout = std::chrono::milliseconds(5000)});
    MoPoller real(Services(http));
    const std::string body =
        "100\r\nx,1,20240102030405,131,106,he\0llo\r\nx,2,20240102030405,132,106,next\r\n"s;
    service.Script({.path = "/sms/getMo/", .body = body});
    TickAndPoll(real);
    EXPECT_EQ(Value("SELECT group_concat(mob || ':' || msg) FROM mo"), "131:hello,132:next");
    EXPECT_EQ(Logged(std::string(Poller::kNulDroppedText) + "x,1,20240102030405,131,106,hello"), 1);
}

}  // namespace
}  // namespace xunda::test
