// The store's text files. Faults caught: wrong log line formats, untimed lines from texts with line
// breaks, the backup threshold off by one, a backup overwriting an earlier one, a log failure stopping
// the caller; CSV rows corrupted by quotes, appends that overwrite, NULL written as text, number-list
// files that collide within one second, text cells a spreadsheet runs as formulas.
#include <regex>
#include <set>
#include <sstream>

#include "store/grid_files.h"
#include "store/log.h"
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
    EXPECT_EQ(fs::status(log.FilePath()).permissions(), fs::perms::owner_read | fs::perms::owner_write);
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
    prompts.SetAnswer(true);
    OfferLogBackup(log, prompts);
    EXPECT_EQ(Lines(log.FilePath()), (std::vector<std::string>{"日志文件创建！", "日志文件清空"}));
    // A second backup the same day keeps both files as they are.
    WriteFile(log.FilePath(), std::string(1048577, 'b'));
    OfferLogBackup(log, prompts);
    EXPECT_EQ(prompts.notices(), std::vector<std::string>{"日志文件备份失败!\n" + log.BackupPath().string() +
                                                          "\n今天的备份文件已经存在"});
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

using GridFilesTest = StoreTest;

TEST_F(GridFilesTest, CsvAppendsAndQuotesAndNumberListsAreSortedUniqueAndNeverReused) {
    Exec(
        "INSERT INTO mobs (corpID, mob, userName, usermemo) VALUES (1,'139','张三','say "
        "\"hi\", bye'), (1,'138','李四',NULL), (1,'139','x','')");
    ResultSet rs = db_->pAdoQuery("SELECT * FROM mobs ORDER BY rowid");
    std::vector<GridColumn> columns = {{"手机号码", "mob"}, {"备注", "usermemo"}};
    ASSERT_TRUE(SaveDbGridToCsv(rs, columns, dir_ / "out.csv") &&
                SaveDbGridToCsv(rs, columns, dir_ / "out.csv"));
    const std::string block =
        "\"手机号码\",\"备注\"\r\n\"139\",\"say \"\"hi\"\", bye\"\r\n\"138\",\"\"\r\n\"139\",\"\"\r\n";
    EXPECT_EQ(ReadFile(dir_ / "out.csv"), "\xEF\xBB\xBF" + block + block);
    EXPECT_EQ(rs.Position(), 0u);
    EXPECT_FALSE(SaveDbGridToCsv(rs, columns, dir_ / "no/such/folder.csv"));
    std::set<fs::path> names;
    for (int i = 0; i < 5; ++i) {  // within the same second
        auto file = SaveDistinctColumnToFile(rs, "Mob", dir_.path());
        ASSERT_TRUE(file);
        EXPECT_EQ(file->filename().string().rfind("mobs_", 0), 0u);
        EXPECT_EQ(ReadFile(*file), "138\n139\n");
        names.insert(*file);
    }
    EXPECT_EQ(names.size(), 5u);
}

TEST_F(GridFilesTest, CsvKeepsFormulasAsTextAndSignedNumbersAsTheyAre) {
    Exec(
        "INSERT INTO mobs (corpID, mob, usermemo) VALUES (1,'+8613800000000','=1+1'),"
        " (1,'-5','@SUM(A1)'), (1,'-1.5','+x'), (1,'3','-2-3')");
    ASSERT_TRUE(SaveDbGridToCsv(*db_, "SELECT * FROM mobs ORDER BY rowid",
                                {{"号码", "mob"}, {"备注", "usermemo"}}, dir_ / "f.csv"));
    EXPECT_EQ(ReadFile(dir_ / "f.csv"),
              "\xEF\xBB\xBF\"号码\",\"备注\"\r\n\"+8613800000000\",\"'=1+1\"\r\n\"-5\",\"'@SUM(A1)\"\r\n"
              "\"-1.5\",\"'+x\"\r\n\"3\",\"'-2-3\"\r\n");
}

}  // namespace
}  // namespace xunda::test
