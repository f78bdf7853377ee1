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
    void Count(std::size_t n) override;
    // "mtID,status": a message number that is not a positive number, or an empty status, is skipped.
    void Store(Database& db, const std::string& line, const std::string& corpID) override;
};

}  // namespace xunda
