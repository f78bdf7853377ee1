// Grouping of the selected rows into requests, and reading a request's reply.
#include "engine/mt_batch.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

MtRow Row(std::int64_t id, std::string mob, std::string msg, std::string sub = "", std::string link = "",
          std::string level = "1") {
    return {id, std::move(mob), std::move(msg), std::move(sub), std::move(link), std::move(level)};
}

std::vector<std::vector<std::int64_t>> Batches(const std::vector<MtRow>& rows) {
    std::vector<bool> taken(rows.size(), false);
    std::vector<std::vector<std::int64_t>> out;
    for (MtBatch b = TakeBatch(rows, taken, [] { return false; }); !b.Empty();
         b = TakeBatch(rows, taken, [] { return false; })) {
        out.emplace_back();
        for (std::size_t i : b.rows) out.back().push_back(rows[i].id);
    }
    return out;
}

TEST(TakeBatch, GroupsEqualKeysInIdOrder) {
    // A (text 1), B (text 2), C (text 1): A and C first, then B.
    EXPECT_EQ(Batches({Row(1, "A", "t1"), Row(2, "B", "t2"), Row(3, "C", "t1")}),
              (std::vector<std::vector<std::int64_t>>{{1, 3}, {2}}));
    // ids 3, 5, 15 with texts 1, 2, 1.
    EXPECT_EQ(Batches({Row(3, "a", "t1"), Row(5, "b", "t2"), Row(15, "c", "t1")}),
              (std::vector<std::vector<std::int64_t>>{{3, 15}, {5}}));
}

TEST(TakeBatch, EveryKeyTextCountsExactly) {
    std::vector<MtRow> rows{Row(1, "a", "hi"),
                            Row(2, "b", "Hi"),
                            Row(3, "c", "hi", "5"),
                            Row(4, "d", "hi", "", "7"),
                            Row(5, "e", "hi", "", "", "2"),
                            Row(6, "f", "hi")};
    EXPECT_EQ(Batches(rows), (std::vector<std::vector<std::int64_t>>{{1, 6}, {2}, {3}, {4}, {5}}));
}

TEST(TakeBatch, RowWithAllKeyTextsEmptyDoesNotOpenTheBatchToAnyText) {
    std::vector<MtRow> rows{Row(1, "a", ""), Row(2, "b", "text"), Row(3, "c", "")};
    EXPECT_EQ(Batches(rows), (std::vector<std::vector<std::int64_t>>{{1, 3}, {2}}));
}

TEST(TakeBatch, JoinsNumbersWithCommasAndStopsWhenAsked) {
    std::vector<MtRow> rows{Row(1, "131", "x"), Row(2, "132", "x"), Row(3, "133", "x")};
    std::vector<bool> taken(3, false);
    int asked = 0;
    MtBatch b = TakeBatch(rows, taken, [&] { return ++asked > 2; });
    EXPECT_EQ(b.Mobs, "131,132");
    EXPECT_EQ(TakeBatch(rows, taken, [] { return false; }).Mobs, "133");
    EXPECT_TRUE(TakeBatch(rows, taken, [] { return true; }).Empty());
}

TEST(ReadBatchReply, PerNumberResults) {
    BatchResult r =
        ReadBatchReply(0, "200", {"0,9001", "403,403", "0, abc", "1,1", "17", "9,99999999999"},
                       {10, 11, 12, 13, 14, 15});
    EXPECT_FALSE(r.refused);
    EXPECT_EQ(r.code, 200);
    ASSERT_EQ(r.rows.size(), 6u);
    EXPECT_EQ(r.rows[0].flag, 1);
    EXPECT_EQ(r.rows[0].mtID, 9001);
    EXPECT_EQ(r.rows[1].flag, 403);
    // A bad message number still leaves the number accepted.
    EXPECT_EQ(r.rows[2].flag, 1);
    EXPECT_FALSE(r.rows[2].mtID.has_value());
    // A refusal whose code would read as accepted is an unknown result.
    EXPECT_EQ(r.rows[3].flag, kUnknownResultFlag);
    // A line without "," has an empty status and the whole line as its value.
    EXPECT_EQ(r.rows[4].flag, 17);
    // A code beyond 32 bits is no result code.
    EXPECT_EQ(r.rows[5].flag, kUnknownResultFlag);
}

TEST(ReadBatchReply, MissingLinesAreUnknownAndExtraLinesReported) {
    BatchResult fewer = ReadBatchReply(0, "100", {"0,1"}, {1, 2, 3});
    EXPECT_EQ(fewer.rows[0].flag, 1);
    EXPECT_EQ(fewer.rows[1].flag, kUnknownResultFlag);
    EXPECT_EQ(fewer.rows[2].flag, kUnknownResultFlag);

    BatchResult more = ReadBatchReply(0, "100", {"0,1", "0,2", "0,3"}, {1});
    EXPECT_EQ(more.rows.size(), 1u);
    EXPECT_EQ(more.extraLines, (std::vector<std::string>{"0,2", "0,3"}));
}

TEST(ReadBatchReply, WholeBatchFailures) {
    BatchResult refused = ReadBatchReply(0, "501", {}, {1, 2});
    EXPECT_TRUE(refused.refused);
    EXPECT_EQ(refused.flag, 501);
    EXPECT_EQ(refused.code, 501);

    // A reply without lines never reuses a code left over from an earlier request.
    for (BatchResult r : {ReadBatchReply(-3, "", {}, {1}), ReadBatchReply(-3, "100", {"0,1"}, {1}),
                          ReadBatchReply(0, "1; DROP TABLE mt", {}, {1}), ReadBatchReply(0, "0", {}, {1}),
                          ReadBatchReply(0, "1", {}, {1}), ReadBatchReply(0, "99999999999", {}, {1})}) {
        EXPECT_TRUE(r.refused);
        EXPECT_EQ(r.flag, kUnknownResultFlag);
    }
    // The log reads a code that is no 32-bit number as 0.
    EXPECT_EQ(ReadBatchReply(-3, "100", {}, {1}).code, 0);
    EXPECT_EQ(ReadBatchReply(0, "99999999999", {}, {1}).code, 0);
    EXPECT_EQ(ReadBatchReply(0, "1", {}, {1}).code, 1);
}

TEST(ReadBatchReply, SixtyFourBitMessageNumbers) {
    BatchResult r = ReadBatchReply(0, "100", {"0,9223372036854775807", "0,9223372036854775808"}, {1, 2});
    EXPECT_EQ(r.rows[0].mtID, INT64_MAX);
    EXPECT_FALSE(r.rows[1].mtID.has_value());
}

}  // namespace
}  // namespace xunda
