// The inbox poller: fetches the incoming messages waiting at the service (GetMo) into the inbox
// table mo.
#pragma once

#include <string>
#include <string_view>

#include "engine/poller.h"

namespace xunda {

// "YYYYMMDDhhmmss" as "YYYY-MM-DD hh:mm:ss" with shortYear 0; with any other shortYear
// "YYMMDDhhmmss" as "YY-MM-DD hh:mm:ss". Characters missing in a short text give empty pieces; the
// digits are not checked.
std::string FormatMoTime(std::string_view text, int shortYear);

// One incoming message as a getMo line gives it: six fields separated by ",", of which the first
// is not used and the text is everything after the fifth ",".
struct MoLine {
    std::string moID;
    std::string moTime;  // as the service wrote it
    std::string mob;     // at most 20 characters
    std::string destID;  // at most 20 characters
    std::string msg;     // at most 255 bytes of GBK text, trimmed
};
MoLine ParseMoLine(std::string_view line);

class MoPoller : public Poller {
  public:
    using Poller::Poller;

  protected:
    int Fetch(std::string& code, std::vector<std::string>& lines, const Credentials& account) override;
    SoundEvent Sound() const override { return SoundEvent::Incoming; }
    std::string ReceivedText(std::size_t n) const override;
    std::string NotStoredText() const override { return "接收短信保存失败:"; }
    void Count(std::size_t n) override;
    // Inserts the message; a line with an empty text is skipped.
    bool Store(Database& db, const std::string& line, const std::string& corpID) override;
};

}  // namespace xunda
