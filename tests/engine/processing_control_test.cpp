// Pausing and resuming, and the counters' status-bar texts.
#include <gtest/gtest.h>

#include "engine/processing_control.h"
#include "engine_fixture.h"

namespace xunda::test {
namespace {

using ProcessingControlTest = EngineTest;

TEST_F(ProcessingControlTest, ToggleAndButtons) {
    EXPECT_FALSE(control.PauseEnabled());
    EXPECT_FALSE(control.ResumeEnabled());
    control.Start();
    EXPECT_TRUE(control.PauseEnabled());
    control.btnSmsSendPauseClick();
    EXPECT_TRUE(control.paused());
    EXPECT_FALSE(control.PauseEnabled());
    EXPECT_TRUE(control.ResumeEnabled());
    control.btnSmsSendPauseClick();
    EXPECT_FALSE(control.paused());
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"暂停短信处理", "恢复短信处理"}));
}

TEST_F(ProcessingControlTest, CounterTexts) {
    std::vector<std::string> seen;
    control.SetCounterListener([&](const CounterTexts& t) { seen.push_back(t.mt); });
    for (int n : {100, 100, 37}) control.AddMt(n);
    control.AddMo(2);
    control.AddReport(3);
    CounterTexts t = control.pListCount();
    EXPECT_EQ(t.mo, "接收(2)");
    EXPECT_EQ(t.mt, "发送(237)");
    EXPECT_EQ(t.report, "收条(3)");
    EXPECT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[1], "发送(200)");
}

}  // namespace
}  // namespace xunda::test
