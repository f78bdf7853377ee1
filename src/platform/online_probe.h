// Whether the computer can reach the service: an interface that is up and running and not the
// loopback, or a service host on the loopback (a local simulator needs no network).
#pragma once

#include <string>

#include "core/ports.h"

namespace xunda {

class InterfaceOnlineProbe : public OnlineProbe {
  public:
    bool IsOnline() override;
};

// True when "host[:port]" names this machine's loopback ("localhost", 127.x.x.x, "::1").
bool IsLoopbackHost(const std::string& hostPort);
// True when some network interface is up, running and not a loopback one.
bool HasRunningInterface();

}  // namespace xunda
