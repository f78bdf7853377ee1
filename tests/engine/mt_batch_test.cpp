// Grouping of the selected rows into requests, and reading the per-number lines of a reply (the
// send engine's tests cover the whole-request codes).
#include "engine/mt_batch.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

MtRow Row(std::int64_t id, std::string msg, std::string sub = "", std::string link = "",
          std::string level = "1") {
    return {id, "1" + std::to_string(id), std::move(msg), std::move(sub), std::move(link), std::move(level)};
}

TEST(TakeBatch, GroupsEqualKeysInIdOrderAndStopsWhenAsked) {
    using Groups = std::vector<std::string>;  // the numbers of each request
    const struct Case {
        const char* what;
        std::vector<MtRow> rows;
        Groups batches;
    } cases[] = {
        {"ids 3, 5, 15 with texts 1, 2, 1", {Row(3, "t1"), Row(5, "t2"), Row(15, "t1")}, {"13,115", "15"}},
        Case("every key text counts exactly",
             {Row(1, "hi"), Row(2, "Hi"), Row(3, "hi", "5"), Row(4, "hi", "", "7"), Row(5, "hi", "", "", "2"),
              Row(6, "hi")},
             {"11,16", "12", "13", "14", "15"}),
        Case("a row with all key texts empty does not open the batch to any text",
             {Row(1, ""), Row(2, "text"), Row(3, "")}, {"11,13", "12"}),
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<bool> taken(c.rows.size(), false);
        Groups batches;
        for (MtBatch b = TakeBatch(c.rows, taken, [] { return false; }); !b.Empty();
             b = TakeBatch(c.rows, taken, [] { return false; }))
            batches.push_back(b.Mobs);
        EXPECT_EQ(batches, c.batches);
    }
    std::vector<MtRow> rows{Row(1, "x"), Row(2, "x"), Row(3, "x")};
    std::vector<bool> taken(3, false);
    int asked = 0;
    EXPECT_EQ(TakeBatch(rows, taken, [&] { return ++asked > 2; }).Mobs, "11,12");
    EXPECT_EQ(TakeBatch(rows, taken, [] { return false; }).rows, std::vector<std::size_t>{2});
    EXPECT_TRUE(TakeBatch(rows, taken, [] { return true; }).Empty());
}

TEST(ReadBatchReply, PerNumberLines) {
    const struct {
        std::string line;
        std::int64_t flag;
        std::optional<std::int64_t> mtID;
    } cases[] = {
        {"0,9001", 1, 9001},
        {" 0 , 9223372036854775807 ", 1, INT64_MAX},
        {"0,9223372036854775808", 1, std::nullopt},  // accepted all the same
        {"403,403", 403, std::nullopt},
        {"17", 17, std::nullopt},                            // no ",": the whole line is the value
        {"1,1", kUnknownResultFlag, std::nullopt},           // would read as accepted
        {"9,0", kUnknownResultFlag, std::nullopt},           // would read as queued
        {"9,2147483648", kUnknownResultFlag, std::nullopt},  // no 32-bit code
    };
    std::vector<std::string> lines;
    std::vector<std::int64_t> ids;
    for (const auto& c : cases) {
        lines.push_back(c.line);
        ids.push_back(static_cast<std::int64_t>(ids.size()) + 10);
    }
    const BatchResult r = ReadBatchReply(0, "200", lines, ids);
    EXPECT_FALSE(r.refused);
    EXPECT_EQ(r.code, 200);
    ASSERT_EQ(r.rows.size(), std::size(cases));
    for (std::size_t i = 0; i < r.rows.size(); ++i) {
        EXPECT_EQ(r.rows[i].id, ids[i]);
        EXPECT_EQ(r.rows[i].flag, cases[i].flag) << cases[i].line;
        EXPECT_EQ(r.rows[i].mtID, cases[i].mtID) << cases[i].line;
    }
    // A reply without lines never reuses a code left over from an earlier request.
    EXPECT_EQ(ReadBatchReply(-3, "100", {"0,1"}, {1}).flag, kUnknownResultFlag);
}

}  // namespace
}  // namespace xunda
