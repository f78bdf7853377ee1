// The subscription logic over a fresh database holding two accounts: 10001 is logged in, 10002
// shares the file. Questions are recorded with "严重警告 " in front of the severe ones.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "store/database.h"
#include "store/account_host.h"
#include "support/recording_prompts.h"
#include "support/temp_dir.h"

namespace xunda::test {

class CaptionPrompts : public RecordingPrompts {
  public:
    bool ConfirmSevere(const std::string& text) override { return Confirm("严重警告 " + text); }
};

class SubscriptionsTest : public ::testing::Test, public AccountHost {
  protected:
    Database& db() override { return *database; }
    Prompts& prompts() override { return recorded; }
    std::string corpID() override { return "10001"; }
    void RunBusy(const std::string& text, const std::function<void()>& work) override {
        busy.push_back(text);
        work();
    }

    void Run(const std::string& sql) { ASSERT_TRUE(database->pAdoCom(sql)) << sql; }
    // Rows of values into a table with its columns: Insert("mobs (corpID,mob)", {"1,'2'", ...}).
    void Insert(const std::string& into, std::initializer_list<const char*> rows) {
        for (const char* row : rows) Run("INSERT INTO " + into + " VALUES (" + row + ")");
    }
    // The first column of a statement's rows, joined by "|".
    std::string Rows(const std::string& sql) {
        std::string out;
        for (ResultSet rs = database->pAdoQuery(sql); !rs.Eof(); rs.Next())
            (out += out.empty() ? "" : "|") += rs.At(rs.Position(), 0).value_or("NULL");
        return out;
    }
    // A trigger failing each `event` ("DELETE ON mobOrder") when `when` holds.
    void FailOn(const std::string& event, const std::string& when = "1") {
        Run("CREATE TRIGGER fail BEFORE " + event + " WHEN " + when +
            " BEGIN SELECT RAISE(ABORT, 'refused'); END");
    }

    TempDir dir;
    CaptionPrompts recorded;
    std::vector<std::string> busy;  // the busy window's texts
    std::unique_ptr<Database> database = Database::Create(dir / "TOLVI_DY.db", recorded);
};

}  // namespace xunda::test
