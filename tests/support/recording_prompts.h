// Message boxes and file dialogs as a test sees them: the texts shown are recorded (notices and
// alerts apart), questions get the answer set, file dialogs are cancelled. Safe to call from workers.
#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/ports.h"

namespace xunda::test {

class RecordingPrompts : public Prompts {
  public:
    void Notice(const std::string& text) override { Add(notices_, text); }
    void Alert(const std::string& text) override { Add(alerts_, text); }
    bool Confirm(const std::string& text) override { return Add(confirms_, text), answer_; }
    bool ConfirmSevere(const std::string& text) override { return Confirm(text); }
    bool OfferOpen(const std::string&) override { return false; }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&) override { return {}; }

    std::vector<std::string> notices() const { return Get(notices_); }
    std::vector<std::string> alerts() const { return Get(alerts_); }
    std::vector<std::string> confirms() const { return Get(confirms_); }
    void SetAnswer(bool yes) { answer_ = yes; }

  private:
    void Add(std::vector<std::string>& list, const std::string& text) {
        std::lock_guard lock(mutex_);
        list.push_back(text);
    }
    std::vector<std::string> Get(const std::vector<std::string>& list) const {
        std::lock_guard lock(mutex_);
        return list;
    }

    mutable std::mutex mutex_;
    std::vector<std::string> notices_, alerts_, confirms_;
    std::atomic<bool> answer_ = true;
};

}  // namespace xunda::test
