// Message boxes and file dialogs as a test sees them.
#pragma once

#include <gmock/gmock.h>

#include "core/ports.h"

namespace xunda::test {

class MockPrompts : public Prompts {
  public:
    MOCK_METHOD(void, Notice, (const std::string& text), (override));
    MOCK_METHOD(void, Alert, (const std::string& text), (override));
    MOCK_METHOD(bool, Confirm, (const std::string& text), (override));
    MOCK_METHOD(bool, ConfirmSevere, (const std::string& text), (override));
    MOCK_METHOD(bool, OfferOpen, (const std::string& text), (override));
    MOCK_METHOD(std::optional<std::string>, ChooseSaveFile,
                (const std::string& filter, const std::string& defaultName), (override));
    MOCK_METHOD(std::optional<std::string>, ChooseOpenFile, (const std::string& filter, const std::string& folder),
                (override));
};

}  // namespace xunda::test
