// Faults caught: wrong line formats, untimed lines from texts with line breaks, the backup
// threshold off by one, a backup overwriting an earlier one, a log failure stopping the caller.
#include "store/log.h"

#include <sys/stat.h>

#include <regex>
#include <sstream>

#include "store_fixture.h"

namespace xunda::test {
namespace {
namespace fs = std::filesystem;
using namespace std::string_literals;

// The lines of a log file, each without its time stamp (or "<untimed> " and the line).
std::vector<std::string> Lines(const fs::path& file) {
    static const std::regex timestamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d   (.*))");
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(file));
    std::smatch m;
    for (std::string l; std::getline(in, l);)
        lines.push_back(std::regex_match(l, m, timestamped) ? m[1].str() : "<untimed> " + l);
    return lines;
}

TEST(LogTest, LineFormatsAndCreationLine) {
    TempDir dir;
    Log log(dir / "LOG");  // missing folder: created
    log.SetAccount("12345");
    std::vector<std::string> shown;
    log.SetSink([&](const std::string& t) { shown.push_back(t); });
    for (const std::string& text : {"发送成功 3 条"s, "----"s, ""s, "a\r\nb\0c"s}) log.logit(text);
    EXPECT_EQ(log.FilePath(), dir / "LOG/LOG_12345.LOG");
    EXPECT_EQ(Lines(log.FilePath()),
              (std::vector<std::string>{"日志文件创建！", "发送成功 3 条",
                                        "<untimed> " + std::string(56, '-'), "<untimed> ", R"(a\r\nb\0c)"}));
    EXPECT_EQ(shown, (std::vector<std::string>{"发送成功 3 条", "----", "", "a\r\nb\0c"s}));
    struct stat st {};
    ASSERT_EQ(stat(log.FilePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(LogTest, BackupThresholdAndNoOverwrite) {
    TempDir dir;
    Log log(dir.path());
    log.SetAccount("9");
    RecordingPrompts prompts;
    WriteFile(log.FilePath(), std::string(1048576, 'a'));
    OfferLogBackup(log, prompts);  // one byte short: not offered
    WriteFile(log.FilePath(), std::string(1048577, 'a'));
    prompts.SetAnswer(false);
    OfferLogBackup(log, prompts);
    EXPECT_EQ(prompts.confirms(), std::vector<std::string>{"日志文件已经过大,你要立即备份吗?"});
    EXPECT_FALSE(fs::exists(log.BackupPath()));
    prompts.SetAnswer(true);
    OfferLogBackup(log, prompts);
    EXPECT_TRUE(prompts.notices().empty());
    EXPECT_EQ(fs::file_size(log.BackupPath()), 1048577u);
    EXPECT_EQ(Lines(log.FilePath()), (std::vector<std::string>{"日志文件创建！", "日志文件清空"}));
    // A second backup the same day keeps both files as they are.
    WriteFile(log.FilePath(), std::string(1048577, 'b'));
    OfferLogBackup(log, prompts);
    ASSERT_EQ(prompts.notices().size(), 1u);
    EXPECT_NE(prompts.notices()[0].find(log.BackupPath().string()), std::string::npos);
    EXPECT_TRUE(ReadFile(log.BackupPath()) == std::string(1048577, 'a'));
    EXPECT_TRUE(ReadFile(log.FilePath()) == std::string(1048577, 'b'));
}

TEST(LogTest, UnwritableLogNeverStopsTheCaller) {
    TempDir dir;
    WriteFile(dir / "LOG", "a file where the folder should be");
    Log log(dir / "LOG");
    int shown = 0;
    log.SetSink([&](const std::string&) { ++shown; });
    EXPECT_NO_THROW(log.logit("still shown"));
    EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace xunda::test
