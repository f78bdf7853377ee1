// The store tests' fixture: a fresh database file in a temporary folder, and prompts that record
// what they were asked to show and check that no box stands while the file is locked.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>

#include "store/database.h"
#include "support/recording_prompts.h"
#include "support/sql_helpers.h"
#include "support/temp_dir.h"

namespace xunda::test {

// Records each notice shown while another program could not write the file (a transaction open).
class LockCheckingPrompts : public RecordingPrompts {
  public:
    explicit LockCheckingPrompts(std::filesystem::path file) : file_(std::move(file)) {}
    void Notice(const std::string& text) override {
        if (WriteLocked(file_)) ++shownWhileLocked;
        RecordingPrompts::Notice(text);
    }
    std::atomic<int> shownWhileLocked = 0;

  private:
    const std::filesystem::path file_;
};

class StoreTest : public ::testing::Test, public SqlHelpers {
  protected:
    void SetUp() override { ASSERT_TRUE(db_) << "cannot create the test database"; }
    void TearDown() override {
        EXPECT_EQ(prompts_.shownWhileLocked, 0) << "a box stood while the file was locked";
    }

    Database& SqlDatabase() override { return *db_; }

    TempDir dir_;
    const std::filesystem::path file_ = dir_ / "TOLVI_DY.db";
    LockCheckingPrompts prompts_{file_};
    std::unique_ptr<Database> db_ = Database::Create(file_, prompts_);
};

}  // namespace xunda::test
