// The mailbox lists over a fresh database holding two accounts, with prompts that answer from a
// script and a host that exports into a file and records replies.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mailbox/mailbox_host.h"
#include "store/database.h"
#include "store/grid_files.h"
#include "support/recording_prompts.h"
#include "support/sql_helpers.h"
#include "support/temp_dir.h"

namespace xunda::test {

// Answers the questions in turn from `answers` (Yes when none is left); `atQuestion` runs before
// each answer with the question's number (1, 2, ...).
class ScriptedPrompts : public RecordingPrompts {
  public:
    bool Confirm(const std::string& text) override {
        RecordingPrompts::Confirm(text);
        if (atQuestion) atQuestion(confirms().size());
        if (answers.empty()) return true;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    std::deque<bool> answers;
    std::function<void(std::size_t)> atQuestion;
};

class FakeHost : public MailboxHost {
  public:
    Database& db() override { return *database; }
    Prompts& prompts() override { return scripted; }
    std::string corpID() override { return corp; }
    void SaveGrid(const RowPager& grid) override {
        ++saves;
        if (file) SaveDbGridToCsv(*database, grid.Sql(), grid.Columns(), *file);
    }
    bool RunBusy(const std::string& text, const std::function<void()>& work) override {
        busy.push_back(text);
        work();
        busy.push_back("closed");
        return true;
    }
    void ReplyTo(const std::vector<std::string>& mobs) override { replies.push_back(mobs); }
    std::chrono::year_month_day Today() override { return today; }

    std::unique_ptr<Database> database;
    ScriptedPrompts scripted;
    std::string corp = "10001";
    std::optional<std::string> file;
    int saves = 0;
    std::vector<std::string> busy;
    std::vector<std::vector<std::string>> replies;
    std::chrono::year_month_day today{std::chrono::year(2026), std::chrono::month(12), std::chrono::day(1)};
};

class MailboxTest : public ::testing::Test, public SqlHelpers {
  protected:
    MailboxTest() { host.database = Database::Create(dir / "TOLVI_DY.db", host.scripted); }
    Database& SqlDatabase() override { return host.db(); }

    TempDir dir;
    FakeHost host;
};

}  // namespace xunda::test
