// What the subscriber and category logic asks of the program around it.
#pragma once

#include <string>

namespace xunda {

class Database;
class Prompts;

class SubscriptionHost {
  public:
    virtual ~SubscriptionHost() = default;
    // The open database (it is replaced on a change of account).
    virtual Database& db() = 0;
    virtual Prompts& prompts() = 0;
    // The account that is logged in.
    virtual std::string corpID() = 0;
};

}  // namespace xunda
