// The subscription logic's access to the main window.
#pragma once

#include "core/ports.h"
#include "subscriptions/subscription_host.h"
#include "ui/shell.h"

namespace xunda {

class ShellSubscriptionHost : public SubscriptionHost {
  public:
    explicit ShellSubscriptionHost(Shell& shell) : shell_(shell) {}
    Database& db() override { return shell_.db(); }
    Prompts& prompts() override { return shell_.prompts(); }
    std::string corpID() override { return shell_.Account().corpID; }

  private:
    Shell& shell_;
};

}  // namespace xunda
