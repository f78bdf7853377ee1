// The inbox and report pollers: back-off, line parsing and what they store.
#include <gtest/gtest.h>

#include "core/codepage.h"
#include "engine/mo_poller.h"
#include "engine/report_poller.h"
#include "engine_fixture.h"

namespace xunda::test {
namespace {

class PollerTest : public EngineTest {
  protected:
    // One tick and, when it starts one, the poll; the interval afterwards.
    int TickAndPoll(Poller& poller) {
        std::optional<PollJob> job = poller.tick(*db, account);
        if (job) poller.poll(std::move(*job));
        return poller.interval();
    }

    MoPoller mo{Services()};
    ReportPoller report{Services()};
};

TEST_F(PollerTest, IntervalBacksOffOnEmptyAnswersAndResetsOnData) {
    for (int i = 0; i < 4; ++i) TickAndPoll(mo);
    EXPECT_EQ(mo.interval(), 6000);
    gateway.moReplies.push_back({500, "", {}});
    EXPECT_EQ(TickAndPoll(mo), 6000);  // transport failure: unchanged
    EXPECT_EQ(Logged("Internal Server Error"), 1);
    gateway.moReplies.push_back({-3, "", {}});
    EXPECT_EQ(TickAndPoll(mo), 7000);
    gateway.moReplies.push_back({0, "100", {}});
    EXPECT_EQ(TickAndPoll(mo), 2000);  // data (even none) resets
    EXPECT_EQ(Logged("接收短信:收到(0)条短信"), 1);
    for (int i = 0; i < 18; ++i) TickAndPoll(mo);
    EXPECT_EQ(mo.interval(), 20000);
    EXPECT_EQ(TickAndPoll(mo), 20000);

    for (int i = 0; i < 4; ++i) TickAndPoll(report);
    EXPECT_EQ(report.interval(), 6000);
}

TEST_F(PollerTest, NoPollWhileOfflineOrPausedOrRunning) {
    online.online = false;
    EXPECT_FALSE(mo.tick(*db, account));
    online.online = true;
    control.btnSmsSendPauseClick();
    EXPECT_FALSE(report.tick(*db, account));
    control.btnSmsSendPauseClick();
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
          "x,79,2024,131,106,bad time", "x,80,20240102030405,131,106,   ",
          "x,notanumber,20240102030405,131,106,it's kept", "too short"}});
    TickAndPoll(mo);

    EXPECT_EQ(sounds.Played(), std::vector<SoundEvent>{SoundEvent::Incoming});
    EXPECT_EQ(Logged("接收短信:收到(6)条短信"), 1);
    EXPECT_EQ(control.mo, 6);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM mo"), 5);  // the line with a blank text is skipped
    EXPECT_EQ(
        Value("SELECT moTime || '|' || mob || '|' || destID || '|' || msg || '|' || corpID || '|' || flag "
              "FROM mo WHERE moID=77"),
        "2024-01-02 03:04:05|13800000001|10657000|hello, world|10001|0");
    EXPECT_EQ(Value("SELECT mob FROM mo WHERE moID=78"), "12345678901234567890");
    EXPECT_EQ(Value("SELECT destID FROM mo WHERE moID=78"), "10657000123456789012");
    EXPECT_EQ(Value("SELECT msg FROM mo WHERE moID=78"), std::string(254, 'a'));
    EXPECT_EQ(Value("SELECT moTime FROM mo WHERE moID=79"), "2026-03-04 05:06:07");
    EXPECT_EQ(Value("SELECT msg FROM mo WHERE moID IS NULL ORDER BY rowid"), "it's kept");
    // Missing commas give empty fields, the text being what remains.
    EXPECT_EQ(Value("SELECT mob || '|' || moTime FROM mo WHERE msg='too short'"), "|2026-03-04 05:06:07");
    EXPECT_TRUE(prompts.notices().empty());
}

TEST_F(PollerTest, FailedInsertLogsTheLine) {
    db->pAdoCom("CREATE TRIGGER no_mo BEFORE INSERT ON mo BEGIN SELECT RAISE(ABORT, 'refused'); END");
    gateway.moReplies.push_back({0, "100", {"x,1,20240102030405,131,106,lost?"}});
    TickAndPoll(mo);
    EXPECT_EQ(Logged("接收短信保存失败:x,1,20240102030405,131,106,lost?"), 1);
    EXPECT_EQ(prompts.notices().size(), 1u);
}

TEST(MoLineTest, FieldsAndTimes) {
    MoLine line = ParseMoLine("a,b,c");
    EXPECT_EQ(line.moID, "b");
    EXPECT_EQ(line.moTime, "");
    EXPECT_EQ(line.msg, "c");
    EXPECT_EQ(FormatMoTime("20240102030405"), "2024-01-02 03:04:05");
    EXPECT_EQ(FormatMoTime("202401"), "2024-01- ::");
}

TEST_F(PollerTest, ReportsUpdateTheHistoryByMessageNumber) {
    for (std::string mtID : {"9001", "4294967296", "9223372036854775807", "7"})
        db->pAdoCom("INSERT INTO mt_bak (corpID, mtID, mob, flag) VALUES (10001, " + mtID + ", '131', 1)");
    gateway.reportReplies.push_back(
        {0,
         "100",
         {"9001,0", "4294967296,2", "9223372036854775807,255", "0,0", "abc,1", "7,", "7", " 7 , 3 "}});
    TickAndPoll(report);
    EXPECT_EQ(sounds.Played(), std::vector<SoundEvent>{SoundEvent::Report});
    EXPECT_EQ(Logged("短信收条:收到(8)个状态报告"), 1);
    EXPECT_EQ(control.report, 8);
    EXPECT_EQ(Value("SELECT mstatus FROM mt_bak WHERE mtID=9001"), "0");
    EXPECT_EQ(Value("SELECT mstatus FROM mt_bak WHERE mtID=4294967296"), "2");
    EXPECT_EQ(Value("SELECT mstatus FROM mt_bak WHERE mtID=9223372036854775807"), "255");
    EXPECT_EQ(Value("SELECT mstatus FROM mt_bak WHERE mtID=7"), "3");
    EXPECT_EQ(report.interval(), 2000);
}

}  // namespace
}  // namespace xunda::test
