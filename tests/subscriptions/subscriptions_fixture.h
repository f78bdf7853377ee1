// The subscription logic over a fresh database holding two accounts: 10001 is logged in, 10002
// shares the file. Questions are recorded with "严重警告 " in front of the severe ones.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "store/account_host.h"
#include "store/database.h"
#include "support/recording_prompts.h"
#include "support/sql_helpers.h"
#include "support/temp_dir.h"

namespace xunda::test {

class CaptionPrompts : public RecordingPrompts {
  public:
    bool ConfirmSevere(const std::string& text) override { return Confirm("严重警告 " + text); }
};

class SubscriptionsTest : public ::testing::Test, public AccountHost, public SqlHelpers {
  protected:
    Database& db() override { return *database; }
    Prompts& prompts() override { return recorded; }
    std::string corpID() override { return "10001"; }
    bool RunBusy(const std::string& text, const std::function<void()>& work) override {
        busy.push_back(text);
        work();
        return true;
    }

    Database& SqlDatabase() override { return *database; }
    // Rows of values into a table with its columns: Insert("mobs (corpID,mob)", {"1,'2'", ...}).
    void Insert(const std::string& into, std::initializer_list<const char*> rows) {
        for (const char* row : rows) Exec("INSERT INTO " + into + " VALUES (" + row + ")");
    }
    // A trigger failing each `event` ("DELETE ON mobOrder") when `when` holds.
    void FailOn(const std::string& event, const std::string& when = "1") {
        Exec("CREATE TRIGGER fail BEFORE " + event + " WHEN " + when +
             " BEGIN SELECT RAISE(ABORT, 'refused'); END");
    }

    TempDir dir;
    CaptionPrompts recorded;
    std::vector<std::string> busy;  // the busy window's texts
    std::unique_ptr<Database> database = Database::Create(dir / "TOLVI_DY.db", recorded);
};

}  // namespace xunda::test
