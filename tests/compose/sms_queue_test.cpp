#include "compose/sms_queue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "compose/outbox_writer.h"
#include "store/store_fixture.h"

namespace xunda {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::vector<std::string> Mobs(int count, int first = 0) {
    std::vector<std::string> mobs;
    for (int i = 0; i < count; ++i) mobs.push_back("138" + std::to_string(10000000 + first + i));
    return mobs;
}

SmsBatch Batch(std::string text, std::vector<std::string> mobs) {
    SmsBatch batch;
    batch.text = std::move(text);
    batch.mobs = std::move(mobs);
    return batch;
}

class QueueTest : public test::StoreTest {
  protected:
    std::size_t Queue(const SmsBatch& batch) {
        return QueueSmsBatch(*db_, log_, "10001", batch,
                             [this](const std::string& text) { busy_.push_back(text); });
    }
    // One column of the account's outbox rows in queue order.
    std::vector<std::string> Outbox(const std::string& column) {
        std::vector<std::string> values;
        for (ResultSet rs =
                 db_->pAdoQuery("SELECT " + column + " AS v FROM mt WHERE corpID=10001 ORDER BY id");
             !rs.Eof(); rs.Next())
            values.push_back(rs.IsNull("v") ? "<NULL>" : rs.AsString("v"));
        return values;
    }
    std::vector<std::string> LastSendMobs() {
        std::vector<std::string> mobs;
        for (ResultSet rs =
                 db_->pAdoQuery("SELECT mob FROM lastSendMobs WHERE corpID=10001 ORDER BY ID DESC");
             !rs.Eof(); rs.Next())
            mobs.push_back(rs.AsString("mob"));
        return mobs;
    }

    Log log_{dir_ / "LOG"};
    std::vector<std::string> busy_;
};

TEST_F(QueueTest, PriorityFollowsThePositionInTheBatch) {
    EXPECT_EQ(Queue(Batch("hello", Mobs(2001))), 2001u);
    const std::vector<std::string> levels = Outbox("mtLevel");
    ASSERT_EQ(levels.size(), 2001u);
    EXPECT_EQ(levels[0], "1");
    EXPECT_EQ(levels[499], "1");
    EXPECT_EQ(levels[500], "2");
    EXPECT_EQ(levels[1999], "2");
    EXPECT_EQ(levels[2000], "3");
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mt WHERE flag=0 AND msg='hello' AND corpID=10001"), 2001);
    EXPECT_EQ(busy_.front(), "放入发送队列:(1/2001) 13810000000");
    EXPECT_EQ(busy_.back(), "放入发送队列:(2001/2001) 13810002000");
    EXPECT_TRUE(prompts_.notices().empty());
}

TEST_F(QueueTest, RefusedNumberCostsOnlyItsRow) {
    ASSERT_TRUE(db_->pAdoCom("CREATE TRIGGER refuse BEFORE INSERT ON mt WHEN NEW.mob='13810000350' "
                             "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    EXPECT_EQ(Queue(Batch("hello", Mobs(700))), 699u);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM mt WHERE corpID=10001 AND flag=0"), 699);
    ASSERT_EQ(prompts_.notices().size(), 1u);
    EXPECT_THAT(prompts_.notices()[0], HasSubstr("'13810000350'"));
}

TEST_F(QueueTest, FillsPlaceholdersFromTheAccountsContacts) {
    ASSERT_TRUE(
        db_->pAdoCom("INSERT INTO mobs (corpID,mob,userName,nickName,bir) VALUES "
                     "(10001,'13800000001','张三','张先生','1990-05-01'),"
                     "(10001,'13800000002','李四','李女士',NULL),"
                     "(10001,'13800000004','赵六','赵老师','1985-12-31 00:00:00'),"
                     "(20002,'13800000003','王五','王总','1980-01-01')"));
    SmsBatch batch =
        Batch("[称呼]好,[姓名]生日[生日]", {"13800000001", "13800000002", "13800000003", "13800000004"});
    batch.linkID = "12";
    batch.subNumber = "345";
    EXPECT_EQ(Queue(batch), 4u);
    EXPECT_THAT(Outbox("msg"), ElementsAre("张先生好,张三生日1990-05-01", "李女士好,李四生日", "好,生日",
                                           "赵老师好,赵六生日1985-12-31"));
    EXPECT_THAT(Outbox("linkID"), ElementsAre("12", "12", "12", "12"));
    EXPECT_THAT(Outbox("subNumber"), ElementsAre("345", "345", "345", "345"));
}

TEST_F(QueueTest, StoresTextsAsTheyAre) {
    EXPECT_EQ(Queue(Batch("NULL", {"13800000001"})), 1u);
    // Every number of the batch gets its row, also when the fill leaves nothing of the text.
    EXPECT_EQ(Queue(Batch("[称呼]", {"13800000002"})), 1u);
    EXPECT_EQ(Queue(Batch("", {"13800000003"})), 0u);
    EXPECT_THAT(Outbox("msg"), ElementsAre("NULL", ""));
    EXPECT_THAT(Outbox("subNumber"), ElementsAre("", ""));  // empty, not NULL
}

TEST_F(QueueTest, BroadcastMarkWritesTheHistoryOnce) {
    SmsBatch broadcast = Batch("[姓名]:明天有雨", Mobs(3));
    broadcast.broadcast = true;
    broadcast.categories = {"天气", "It's news"};
    Queue(broadcast);
    Queue(Batch("plain", Mobs(2)));
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM histMsg"), 1);
    ResultSet hist = db_->pAdoQuery("SELECT msgID, corpID, msgContent FROM histMsg");
    EXPECT_EQ(hist.AsString("msgContent"), "[姓名]:明天有雨");  // placeholders not filled
    EXPECT_EQ(hist.AsString("corpID"), "10001");
    std::vector<std::string> categories;
    for (ResultSet rs = db_->pAdoQuery("SELECT msgType FROM histMsgType WHERE corpID=10001 AND msgID=" +
                                       hist.AsString("msgID") + " ORDER BY rowid");
         !rs.Eof(); rs.Next())
        categories.push_back(rs.AsString("msgType"));
    EXPECT_THAT(categories, ElementsAre("天气", "It's news"));
    EXPECT_EQ(busy_.front(), "记录历史订阅短信");
    const std::string logText = test::ReadFile(log_.FilePath());
    EXPECT_THAT(logText, HasSubstr("发送订阅短信"));
    EXPECT_THAT(logText, HasSubstr("发送的手机号码 3个"));
    EXPECT_THAT(logText, HasSubstr("已经放入发送队列"));
}

TEST_F(QueueTest, KeepsTheLastTwelveNumbers) {
    Queue(Batch("a", Mobs(5)));
    Queue(Batch("b", Mobs(5)));  // small batches add rows without removing older ones
    EXPECT_EQ(LastSendMobs().size(), 10u);

    Queue(Batch("c", Mobs(20)));  // the last twelve replace their older rows
    const std::vector<std::string> last = LastSendMobs();
    ASSERT_EQ(last.size(), 12u + 10u);
    EXPECT_EQ(last.front(), "13810000019");
    EXPECT_EQ(last[11], "13810000008");
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM lastSendMobs WHERE mob='13810000008'"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) AS n FROM lastSendMobs WHERE mob='13810000004'"), 2);
}

TEST_F(QueueTest, CommittedChunksAreVisibleWhileQueueing) {
    OutboxWriter outbox(*db_, "10001");
    const std::vector<std::string> mobs = Mobs(OutboxWriter::kChunkRows + 1);
    for (std::size_t i = 0; i < mobs.size(); ++i)
        EXPECT_TRUE(outbox.iMt(mobs[i], "x", "", "", MtLevelForPosition(i)));
    auto countElsewhere = [this] {
        std::int64_t n = -1;
        std::thread([&] { n = Count("SELECT COUNT(*) AS n FROM mt"); }).join();  // its own connection
        return n;
    };
    EXPECT_EQ(countElsewhere(), static_cast<std::int64_t>(OutboxWriter::kChunkRows));
    EXPECT_TRUE(outbox.Commit());
    EXPECT_EQ(countElsewhere(), static_cast<std::int64_t>(mobs.size()));
    EXPECT_EQ(outbox.CommittedRows(), mobs.size());
}

}  // namespace
}  // namespace xunda
