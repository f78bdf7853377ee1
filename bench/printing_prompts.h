// The message boxes of a benchmark: texts go to stderr, questions are answered No, file dialogs
// are cancelled.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "core/ports.h"

namespace xunda::bench {

class PrintingPrompts : public Prompts {
  public:
    void Notice(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void Alert(const std::string& text) override { Notice(text); }
    bool Confirm(const std::string&) override { return false; }
    bool ConfirmSevere(const std::string&) override { return false; }
    bool OfferOpen(const std::string&) override { return false; }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&) override { return {}; }
};

}  // namespace xunda::bench
