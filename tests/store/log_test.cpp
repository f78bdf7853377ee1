// Faults caught: wrong line formats, untimed lines from texts with line breaks, torn or lost
// lines under threads, several creation lines, the backup threshold off by one, a backup
// overwriting an earlier one, a log failure stopping the caller.
#include "store/log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <regex>
#include <sstream>
#include <thread>

using namespace std::string_literals;

#include "store_fixture.h"

namespace xunda::test {
namespace {
namespace fs = std::filesystem;

std::vector<std::string> Lines(const fs::path& file) {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(file));
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

const std::regex kTimestamped(R"((\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)   (.*))");

TEST(LogTest, LineFormatsAndCreationLine) {
    TempDir dir;
    Log log(dir / "LOG");  // missing folder: created
    log.SetAccount("12345");
    std::vector<std::string> shown;
    log.SetSink([&](const std::string& t) { shown.push_back(t); });
    log.logit("发送成功 3 条");
    log.logit("----");
    log.logit("");
    log.logit("a\r\nb\0c"s);

    EXPECT_EQ(log.FilePath(), dir / "LOG/LOG_12345.LOG");
    auto lines = Lines(log.FilePath());
    ASSERT_EQ(lines.size(), 5u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[0], m, kTimestamped)) << lines[0];
    EXPECT_EQ(m[2], "日志文件创建！");
    ASSERT_TRUE(std::regex_match(lines[1], m, kTimestamped)) << lines[1];
    EXPECT_EQ(m[2], "发送成功 3 条");
    EXPECT_EQ(lines[2], std::string(56, '-'));
    EXPECT_EQ(lines[3], "");
    ASSERT_TRUE(std::regex_match(lines[4], m, kTimestamped)) << lines[4];
    EXPECT_EQ(m[2], R"(a\r\nb\0c)");
    EXPECT_EQ(shown, (std::vector<std::string>{"发送成功 3 条", "----", "", "a\r\nb\0c"s}));
    struct stat st {};
    ASSERT_EQ(stat(log.FilePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(LogTest, EightThreadsWriteWholeLinesAndOneCreationLine) {
    TempDir dir;
    Log log(dir.path());
    log.SetAccount("1");
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 1000; ++i)
                log.logit("thread " + std::to_string(t) + " line " + std::to_string(i) + " " +
                          std::string(40, 'x'));
        });
    for (auto& th : threads) th.join();

    auto lines = Lines(log.FilePath());
    ASSERT_EQ(lines.size(), 8001u);
    int creation = 0;
    std::vector<int> next(8, 0);
    const std::regex body(R"(thread (\d) line (\d+) x{40})");
    for (const auto& l : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(l, m, kTimestamped)) << l;
        std::string text = m[2];
        if (text == "日志文件创建！") {
            ++creation;
            continue;
        }
        std::smatch b;
        ASSERT_TRUE(std::regex_match(text, b, body)) << l;
        int t = std::stoi(b[1]);
        EXPECT_EQ(std::stoi(b[2]), next[t]++);  // each thread's lines in order, none lost
    }
    EXPECT_EQ(creation, 1);
}

TEST(LogTest, BackupThresholdAndNoOverwrite) {
    TempDir dir;
    Log log(dir.path());
    log.SetAccount("9");
    WriteFile(log.FilePath(), std::string(1048576, 'a'));
    EXPECT_FALSE(log.NeedsBackup());
    WriteFile(log.FilePath(), std::string(1048577, 'a'));
    EXPECT_TRUE(log.NeedsBackup());

    RecordingPrompts prompts;
    prompts.SetAnswer(false);
    OfferLogBackup(log, prompts);
    EXPECT_EQ(prompts.confirms(), std::vector<std::string>{"日志文件已经过大,你要立即备份吗?"});
    EXPECT_FALSE(fs::exists(log.BackupPath()));

    prompts.SetAnswer(true);
    OfferLogBackup(log, prompts);
    EXPECT_TRUE(prompts.notices().empty());
    EXPECT_EQ(fs::file_size(log.BackupPath()), 1048577u);
    auto fresh = Lines(log.FilePath());
    ASSERT_EQ(fresh.size(), 2u);
    EXPECT_NE(fresh[1].find("   日志文件清空"), std::string::npos);

    // A second backup the same day keeps both files as they are.
    WriteFile(log.FilePath(), std::string(1048577, 'b'));
    OfferLogBackup(log, prompts);
    ASSERT_EQ(prompts.notices().size(), 1u);
    EXPECT_NE(prompts.notices()[0].find(log.BackupPath().string()), std::string::npos);
    EXPECT_EQ(ReadFile(log.BackupPath()), std::string(1048577, 'a'));
    EXPECT_EQ(ReadFile(log.FilePath()), std::string(1048577, 'b'));
}

TEST(LogTest, UnwritableLogNeverStopsTheCaller) {
    TempDir dir;
    WriteFile(dir / "LOG", "a file where the folder should be");
    Log log(dir / "LOG");
    log.SetAccount("1");
    int shown = 0;
    log.SetSink([&](const std::string&) { ++shown; });
    EXPECT_NO_THROW(log.logit("still shown"));
    EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace xunda::test
