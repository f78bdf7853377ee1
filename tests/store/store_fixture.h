// The store tests' fixture: a fresh database file in a temporary folder, and prompts that record
// what they were asked to show.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "store/database.h"
#include "support/recording_prompts.h"
#include "support/temp_dir.h"

namespace xunda::test {

class StoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        file_ = dir_ / "TOLVI_DY.db";
        db_ = Database::Create(file_, prompts_);
        ASSERT_TRUE(db_) << "cannot create the test database";
    }

    // Number of rows of a statement "SELECT COUNT(*) AS n ...".
    std::int64_t Count(const std::string& sql) {
        ResultSet rs = db_->pAdoQuery(sql);
        return rs.Eof() ? -1 : rs.AsInt("n");
    }

    TempDir dir_;
    std::filesystem::path file_;
    RecordingPrompts prompts_;
    std::unique_ptr<Database> db_;
};

}  // namespace xunda::test
