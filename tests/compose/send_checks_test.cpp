#include "compose/send_checks.h"

#include <gtest/gtest.h>

#include "compose/number_tidy.h"
#include "support/recording_prompts.h"
#include "support/repeat.h"

namespace xunda {
namespace {

using Texts = std::vector<std::string>;

std::string Numbers(int count) {
    std::string memo;
    for (int i = 0; i < count; ++i) memo += "138" + std::to_string(10000000 + i) + "\n";
    return memo;
}

// The send page: its form and its number memo.
struct Page {
    SendSmsForm form;
    std::string mobs;
};

Page Form(std::string msg, std::string mobs, std::string linkID = "", std::string subNumber = "") {
    return {SendSmsForm{std::move(msg), std::move(linkID), std::move(subNumber), false, {}}, std::move(mobs)};
}

class SendChecks : public ::testing::Test {
  protected:
    // The send button's steps as the page runs them: the checks, the tidy, the questions.
    std::optional<SmsBatch> Run(const Page& page) {
        std::optional<SmsBatch> batch = CheckSendSms(page.form, prompts);
        if (!batch) return std::nullopt;
        batch->mobs = TidyMobs(page.mobs);
        ++tidied, shown = batch->mobs;
        if (!ConfirmSendMobs(*batch, prompts)) return std::nullopt;
        return batch;
    }
    test::RecordingPrompts prompts;
    int tidied = 0;
    Texts shown;
};

TEST_F(SendChecks, RefusalsComeInOrderAndAskNothing) {
    const struct {
        Page page;
        const char* refusal;
        int tidied;
    } cases[] = {
        {Form(test::Repeat("中", 128), "", " 1", "a"), "文字总长超255,请缩短信内容!", 0},
        {Form(" \n\n  ", "", " 1", "a"), "请输入短信内容!", 0},
        {Form("hi", "13812345678", " 12", "a"), "发送标识必须全部为数字!", 0},  // not trimmed first
        {Form("hi", "13812345678", "12", "12a"), "长号码必须全部为数字!", 0},
        {Form(test::Repeat("中", 127) + "a", "call me\n10086\n"), "请输入手机号码!", 1},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Run(c.page));
        EXPECT_EQ(prompts.notices().back(), c.refusal);
        EXPECT_EQ(tidied, c.tidied) << c.refusal;
    }
    EXPECT_TRUE(shown.empty() && prompts.confirms().empty());
}

TEST_F(SendChecks, AsksMoreQuestionsForBigBatches) {
    const std::string first = "大量群发前建议你清空历史短信记录!你决定仍然要继续吗?";
    const std::string second = "手机号码个数超过30000个,可能会不稳定,建议分批进行发送!你决定仍然要继续吗?";
    const std::string final = "短信将进入发送队列并立即开始发送!你要继续吗?";
    EXPECT_TRUE(Run(Form("hi", Numbers(10000))) && Run(Form("hi", Numbers(10001))));
    EXPECT_TRUE(Run(Form("hi", Numbers(30000))) && Run(Form("hi", Numbers(30001))));
    EXPECT_EQ(prompts.confirms(), (Texts{final, first, final, first, final, first, second, final}));
    prompts.SetAnswer(false);
    EXPECT_FALSE(Run(Form("hi", Numbers(30001) + "13900000000")));
    EXPECT_EQ(prompts.confirms().size(), 9u);
    EXPECT_EQ(shown.size(), 30002u);  // the memo stays tidied after a No
}

TEST_F(SendChecks, ConfirmedBatchCarriesTheBroadcastSnapshot) {
    Page page = Form("  [姓名]  您好\n\n\n再见 ", "13912345678\n13812345678 13912345678", "12", "345");
    SendSmsForm& form = page.form;
    form.tickedCategories = {"天气", "股票"};
    for (bool broadcast : {true, false}) {
        form.broadcastMark = broadcast;
        std::optional<SmsBatch> batch = Run(page);
        ASSERT_TRUE(batch);
        EXPECT_EQ(batch->text, "[姓名] 您好\n再见");
        EXPECT_EQ(batch->mobs, (Texts{"13812345678", "13912345678"}));
        EXPECT_EQ(batch->linkID, "12");
        EXPECT_EQ(batch->subNumber, "345");
        EXPECT_EQ(batch->broadcast, broadcast);
        EXPECT_EQ(batch->categories, broadcast ? form.tickedCategories : Texts());
    }
}

}  // namespace
}  // namespace xunda
