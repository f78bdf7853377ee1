// What the list and subscription logic asks of the program around it: the open database, the
// boxes and the account that is logged in.
#pragma once

#include <functional>
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
    // Runs `work` behind the busy window showing `text` and returns once it has ended. The program
    // runs it on a worker while its windows keep repainting, so `work` touches nothing shown: it
    // reads or writes the database and keeps what it found for the caller. Without windows it
    // simply runs. False when `work` failed (threw); the program has told the user why.
    virtual bool RunBusy(const std::string& text, const std::function<void()>& work) {
        (void)text;
        work();
        return true;
    }
};

}  // namespace xunda
