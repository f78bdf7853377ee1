// What the list and subscription logic asks of the program around it: the open database, the
// boxes and the account that is logged in.
#pragma once

#include <string>

namespace xunda {

class Database;
class Prompts;

class AccountHost {
  public:
    virtual ~AccountHost() = default;
    // The open database (it is replaced on a change of account).
    virtual Database& db() = 0;
    virtual Prompts& prompts() = 0;
    // The account that is logged in.
    virtual std::string corpID() = 0;
};

}  // namespace xunda
