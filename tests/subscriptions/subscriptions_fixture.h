// The subscription logic over a fresh database holding two accounts (10001 is logged in, 10002 is
// another account in the same file), with prompts that record boxes and their captions.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "store/database.h"
#include "subscriptions/subscription_host.h"
#include "support/recording_prompts.h"
#include "support/temp_dir.h"

namespace xunda::test {

// Records a severe question with its caption in front.
class CaptionPrompts : public RecordingPrompts {
  public:
    bool ConfirmSevere(const std::string& text) override { return Confirm("严重警告 " + text); }
};

class SubscriptionsTest : public ::testing::Test, public SubscriptionHost {
  protected:
    SubscriptionsTest() { database = Database::Create(dir / "TOLVI_DY.db", recorded); }

    Database& db() override { return *database; }
    Prompts& prompts() override { return recorded; }
    std::string corpID() override { return "10001"; }

    void Run(const std::string& sql) { ASSERT_TRUE(database->pAdoCom(sql)) << sql; }
    // The first column of every row of a statement, NULL as "NULL", joined by "|".
    std::string Rows(const std::string& sql) {
        std::string out;
        for (ResultSet rs = database->pAdoQuery(sql); !rs.Eof(); rs.Next()) {
            const ResultSet::Value& v = rs.At(rs.Position(), 0);
            (out += out.empty() ? "" : "|") += v ? *v : "NULL";
        }
        return out;
    }
    // A trigger that fails every `event` ("DELETE ON mobOrder", ...) when `when` holds.
    void FailOn(const std::string& event, const std::string& when = "1") {
        Run("CREATE TRIGGER fail BEFORE " + event + " WHEN " + when + " BEGIN SELECT RAISE(ABORT, 'refused'); END");
    }

    TempDir dir;
    CaptionPrompts recorded;
    std::unique_ptr<Database> database;
};

}  // namespace xunda::test
