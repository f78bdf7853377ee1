#include "compose/send_checks.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "compose/mock_prompts.h"

namespace xunda {
namespace {

using ::testing::_;
using ::testing::ElementsAre;
using ::testing::InSequence;
using ::testing::Return;
using ::testing::StrictMock;

std::string Numbers(int count) {
    std::string memo;
    for (int i = 0; i < count; ++i) memo += "138" + std::to_string(10000000 + i) + "\n";
    return memo;
}

std::string TooLong() {
    std::string text;
    for (int i = 0; i < 128; ++i) text += "中";
    return text;
}

SendSmsForm Form(std::string msg, std::string mobs) {
    SendSmsForm form;
    form.msgMemo = std::move(msg);
    form.mobsMemo = std::move(mobs);
    return form;
}

class SendChecks : public ::testing::Test {
  protected:
    std::optional<SmsBatch> Run(const SendSmsForm& form) {
        return ConfirmSendSms(form, prompts, [this](const std::vector<std::string>& mobs) {
            ++tidied;
            shown = mobs;
        });
    }
    StrictMock<test::MockPrompts> prompts;
    int tidied = 0;
    std::vector<std::string> shown;
};

TEST_F(SendChecks, RefusesBeforeTheTidy) {
    struct Case {
        SendSmsForm form;
        const char* refusal;
    };
    SendSmsForm badLink = Form("hi", "13812345678");
    badLink.linkID = " 12";  // a leading blank is refused although it would be trimmed
    SendSmsForm badSub = Form("hi", "13812345678");
    badSub.subNumber = "12a";
    const Case cases[] = {
        {Form(TooLong(), "13812345678"), "文字总长超255,请缩短信内容!"},
        {Form(" \n\n  ", "13812345678"), "请输入短信内容!"},
        {badLink, "发送标识必须全部为数字!"},
        {badSub, "长号码必须全部为数字!"},
    };
    for (const Case& c : cases) {
        EXPECT_CALL(prompts, Notice(std::string(c.refusal)));
        EXPECT_FALSE(Run(c.form));
    }
    EXPECT_EQ(tidied, 0);
}

TEST_F(SendChecks, RefusesWhenNoNumberIsLeftAfterTheTidy) {
    EXPECT_CALL(prompts, Notice("请输入手机号码!"));
    EXPECT_FALSE(Run(Form("hi", "call me\n10086\n")));
    EXPECT_EQ(tidied, 1);
    EXPECT_TRUE(shown.empty());
}

TEST_F(SendChecks, AsksMoreQuestionsForBigBatches) {
    const std::string first = "大量群发前建议你清空历史短信记录!你决定仍然要继续吗?";
    const std::string second = "手机号码个数超过30000个,可能会不稳定,建议分批进行发送!你决定仍然要继续吗?";
    const std::string final = "短信将进入发送队列并立即开始发送!你要继续吗?";
    {
        InSequence order;
        EXPECT_CALL(prompts, Confirm(final)).WillOnce(Return(true));
        EXPECT_CALL(prompts, Confirm(first)).WillOnce(Return(true));
        EXPECT_CALL(prompts, Confirm(final)).WillOnce(Return(true));
        EXPECT_CALL(prompts, Confirm(first)).WillOnce(Return(true));
        EXPECT_CALL(prompts, Confirm(second)).WillOnce(Return(true));
        EXPECT_CALL(prompts, Confirm(final)).WillOnce(Return(false));
    }
    EXPECT_TRUE(Run(Form("hi", Numbers(10000))));
    EXPECT_TRUE(Run(Form("hi", Numbers(10001))));
    EXPECT_FALSE(Run(Form("hi", Numbers(30001))));
    EXPECT_EQ(shown.size(), 30001u);  // the memo stays tidied after a No
}

TEST_F(SendChecks, ConfirmedBatchCarriesTheBroadcastSnapshot) {
    EXPECT_CALL(prompts, Confirm(_)).WillRepeatedly(Return(true));
    SendSmsForm form = Form("  [姓名]  您好\n\n\n再见 ", "13912345678\n13812345678 13912345678");
    form.linkID = "12";
    form.subNumber = "";
    form.broadcastMark = true;
    form.tickedCategories = {"天气", "股票"};
    std::optional<SmsBatch> batch = Run(form);
    ASSERT_TRUE(batch);
    EXPECT_EQ(batch->text, "[姓名] 您好\n再见");
    EXPECT_THAT(batch->mobs, ElementsAre("13812345678", "13912345678"));
    EXPECT_EQ(batch->linkID, "12");
    EXPECT_EQ(batch->subNumber, "");
    EXPECT_TRUE(batch->broadcast);
    EXPECT_THAT(batch->categories, ElementsAre("天气", "股票"));

    form.broadcastMark = false;
    batch = Run(form);
    ASSERT_TRUE(batch);
    EXPECT_FALSE(batch->broadcast);
    EXPECT_TRUE(batch->categories.empty());
}

}  // namespace
}  // namespace xunda
