// Message boxes and file dialogs as a test sees them: the texts shown are recorded (notices and
// alerts apart), questions get the answer set, file dialogs are cancelled. Safe to call from workers.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/ports.h"

namespace xunda::test {

class RecordingPrompts : public Prompts {
  public:
    void Notice(const std::string& text) override { Record(notices_, text); }
    void Alert(const std::string& text) override { Record(alerts_, text); }
    bool Confirm(const std::string& text) override {
        Record(confirms_, text);
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

    std::vector<std::string> notices() const { return Read(notices_); }
    std::vector<std::string> alerts() const { return Read(alerts_); }
    std::vector<std::string> confirms() const { return Read(confirms_); }
    void SetAnswer(bool yes) { answer_ = yes; }

  private:
    void Record(std::vector<std::string>& list, const std::string& text) {
        std::lock_guard lock(mutex_);
        list.push_back(text);
    }
    std::vector<std::string> Read(const std::vector<std::string>& list) const {
        std::lock_guard lock(mutex_);
        return list;
    }

    mutable std::mutex mutex_;
    std::vector<std::string> notices_;
    std::vector<std::string> alerts_;
    std::vector<std::string> confirms_;
    bool answer_ = true;
};

}  // namespace xunda::test
