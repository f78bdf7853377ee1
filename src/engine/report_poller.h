// The delivery-report poller: fetches the reports waiting at the service (GetReport) into the
// sent history (mt_bak.mstatus of the row with the report's message number).
#pragma once

#include "engine/poller.h"

namespace xunda {

class ReportPoller : public Poller {
  public:
    using Poller::Poller;

  protected:
    int Fetch(std::string& code, std::vector<std::string>& lines, const Credentials& account) override;
    SoundEvent Sound() const override { return SoundEvent::Report; }
    std::string ReceivedText(std::size_t n) const override;
    std::string NotStoredText() const override { return "短信收条保存失败:"; }
    void Count(std::size_t n) override;
    // "mtID,status" into the account's history row with that message number; a message number
    // that is not a positive number, or an empty status, is skipped.
    bool Store(Database& db, const std::string& line, const std::string& corpID) override;
};

}  // namespace xunda
