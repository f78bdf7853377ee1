#include "compose/sms_queue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "store/store_fixture.h"

namespace xunda {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Texts = std::vector<std::string>;

Texts Mobs(int count) {
    Texts mobs;
    for (int i = 0; i < count; ++i) mobs.push_back("138" + std::to_string(10000000 + i));
    return mobs;
}

SmsBatch Batch(std::string text, Texts mobs) {
    return SmsBatch{std::move(text), std::move(mobs), "", "", false, {}};
}

class QueueTest : public test::StoreTest {
  protected:
    std::size_t Queue(const SmsBatch& batch) {
        return QueueSmsBatch(*db_, log_, "10001", batch,
                             [this](const std::string& text) { busy_.push_back(text); });
    }
    Texts Outbox(const std::string& column) {
        return Records("SELECT " + column + " FROM mt WHERE corpID=10001 AND flag=0 ORDER BY id");
    }

    Log log_{dir_ / "LOG"};
    Texts busy_;
};

TEST_F(QueueTest, PriorityFollowsThePositionAndChunksAreVisibleWhileQueueing) {
    Texts seen;  // the rows another connection sees when the busy window names every 500th row
    int calls = 0;
    EXPECT_EQ(QueueSmsBatch(*db_, log_, "10001", Batch("hello", Mobs(2001)),
                            [&](const std::string& text) {
                                if (++calls % 500 != 1) return;
                                std::thread([&] {
                                    seen.push_back(text + " " + Records("SELECT COUNT(*) FROM mt")[0]);
                                }).join();
                            }),
              2001u);
    EXPECT_EQ(seen,
              (Texts{"放入发送队列:(1/2001) 13810000000 0", "放入发送队列:(501/2001) 13810000500 500",
                     "放入发送队列:(1001/2001) 13810001000 1000", "放入发送队列:(1501/2001) 13810001500 1500",
                     "放入发送队列:(2001/2001) 13810002000 2000"}));
    const Texts levels = Outbox("mtLevel");
    ASSERT_EQ(levels.size(), 2001u);
    EXPECT_EQ(levels[499] + levels[500] + levels[1999] + levels[2000], "1223");
    EXPECT_TRUE(prompts_.notices().empty());
}

TEST_F(QueueTest, RefusedNumberCostsOnlyItsRowAndALostTransactionOnlyItsChunk) {
    for (const auto& [raise, rows] : {std::pair{"ABORT", 699u}, {"ROLLBACK", 599u}}) {
        ASSERT_TRUE(db_->pAdoCom("DELETE FROM mt") && db_->pAdoCom("DROP TRIGGER IF EXISTS refuse"));
        ASSERT_TRUE(db_->pAdoCom(
            "CREATE TRIGGER refuse BEFORE INSERT ON mt WHEN NEW.mob='13810000100' BEGIN SELECT RAISE(" +
            std::string(raise) + ", 'refused'); END"));
        EXPECT_EQ(Queue(Batch("hello", Mobs(700))), rows) << raise;
        EXPECT_EQ(Outbox("mob").size(), rows);
        EXPECT_THAT(prompts_.notices().back(), HasSubstr("'13810000100'"));
    }
    EXPECT_EQ(prompts_.notices().size(), 2u);
}

TEST_F(QueueTest, FillsPlaceholdersFromTheAccountsContacts) {
    Exec(
        "INSERT INTO mobs (corpID,mob,userName,nickName,bir) VALUES "
        "(10001,'13800000001','张三','张先生','1990-05-01'),(10001,'13800000002','李四','李女士',NULL),"
        "(10001,'13800000004','赵六','赵老师','1985-12-31 00:00:00'),"
        "(10001,'13800000001','张三丰','道长','1900-01-01'),(20002,'13800000003','王五','王总','1980-01-01'"
        ")");
    SmsBatch batch =
        Batch("[称呼]好,[姓名]生日[生日]", {"13800000001", "13800000002", "13800000003", "13800000004"});
    batch.linkID = "12";
    batch.subNumber = "345";
    EXPECT_EQ(Queue(batch), 4u);
    EXPECT_THAT(Outbox("msg"), ElementsAre("张先生好,张三生日1990-05-01", "李女士好,李四生日", "好,生日",
                                           "赵老师好,赵六生日1985-12-31"));
    EXPECT_EQ(Outbox("linkID || '/' || subNumber"), Texts(4, "12/345"));
    // Texts are stored as they are, also when the fill leaves nothing.
    EXPECT_EQ(Queue(Batch("NULL", {"13800000005"})) + Queue(Batch("[称呼]", {"13800000006"})), 2u);
    const Texts rows = Outbox("msg || '|' || subNumber || '|' || linkID");  // empty, not NULL
    EXPECT_EQ(Texts(rows.end() - 2, rows.end()), (Texts{"NULL||", "||"}));
}

TEST_F(QueueTest, BroadcastMarkWritesTheHistoryOnce) {
    SmsBatch broadcast = Batch("[姓名]:明天有雨", Mobs(3));
    broadcast.broadcast = true;
    broadcast.categories = {"天气", "It's news"};
    Queue(broadcast);
    Queue(Batch("plain", Mobs(2)));
    broadcast.text.clear();  // an empty text queues and records nothing
    EXPECT_EQ(Queue(broadcast), 0u);
    EXPECT_EQ(Records("SELECT corpID || ':' || msgContent FROM histMsg"), Texts{"10001:[姓名]:明天有雨"});
    EXPECT_EQ(
        Records("SELECT t.msgType FROM histMsgType t JOIN histMsg h ON h.msgID=t.msgID AND h.corpID=t.corpID "
                "ORDER BY t.rowid"),
        (Texts{"天气", "It's news"}));
    EXPECT_EQ(busy_.front(), "记录历史订阅短信");
    const std::string logText = test::ReadFile(log_.FilePath());
    for (const char* line : {"发送订阅短信", "发送的手机号码 3个", "已经放入发送队列"})
        EXPECT_THAT(logText, HasSubstr(line));
}

TEST_F(QueueTest, KeepsTheLastTwelveNumbersEachOnce) {
    const auto last = [this] {
        return Records("SELECT mob FROM lastSendMobs WHERE corpID=10001 ORDER BY ID DESC");
    };
    Queue(Batch("a", Mobs(5)));
    Queue(Batch("b", Mobs(5)));  // a small batch of known numbers replaces their rows too
    EXPECT_EQ(last().size(), 5u);
    Queue(Batch("c", Mobs(20)));  // only the last twelve are recorded
    ASSERT_EQ(last().size(), 5u + 12u);
    EXPECT_EQ(last().front(), "13810000019");
    EXPECT_EQ(last()[11], "13810000008");
}

}  // namespace
}  // namespace xunda
