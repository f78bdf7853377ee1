// Shared pieces of the store tests: a Prompts that records what it was asked to show, and a
// fixture with a fresh database file in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/ports.h"
#include "store/database.h"
#include "support/temp_dir.h"

namespace xunda::test {

class RecordingPrompts : public Prompts {
  public:
    void Notice(const std::string& text) override {
        std::lock_guard lock(mutex_);
        notices_.push_back(text);
    }
    void Alert(const std::string& text) override { Notice(text); }
    bool Confirm(const std::string& text) override {
        std::lock_guard lock(mutex_);
        confirms_.push_back(text);
        return answer_;
    }
    bool ConfirmSevere(const std::string& text) override { return Confirm(text); }
    bool OfferOpen(const std::string&) override { return false; }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&) override {
        return std::nullopt;
    }

    std::vector<std::string> notices() const {
        std::lock_guard lock(mutex_);
        return notices_;
    }
    std::vector<std::string> confirms() const {
        std::lock_guard lock(mutex_);
        return confirms_;
    }
    void SetAnswer(bool yes) { answer_ = yes; }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> notices_;
    std::vector<std::string> confirms_;
    bool answer_ = true;
};

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
