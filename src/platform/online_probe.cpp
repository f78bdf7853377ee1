#include "platform/online_probe.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>

#include "core/paths.h"
#include "core/text_util.h"

namespace xunda {

bool IsLoopbackHost(const std::string& hostPort) {
    std::string host = hostPort;
    if (!host.empty() && host.front() == '[') {
        host = host.substr(1, host.find(']') - 1);
    } else if (host.find(':') == host.rfind(':')) {
        host = host.substr(0, host.find(':'));
    }
    if (EqualsNoCase(host, "localhost") || host == "::1") return true;
    in_addr addr{};
    return inet_pton(AF_INET, host.c_str(), &addr) == 1 && (ntohl(addr.s_addr) >> 24) == 127;
}

bool HasRunningInterface() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    bool found = false;
    for (ifaddrs* i = list; i && !found; i = i->ifa_next) {
        const unsigned flags = i->ifa_flags;
        found = (flags & IFF_UP) && (flags & IFF_RUNNING) && !(flags & IFF_LOOPBACK);
    }
    freeifaddrs(list);
    return found;
}

bool InterfaceOnlineProbe::IsOnline() {
    return IsLoopbackHost(ServiceHost()) || HasRunningInterface();
}

}  // namespace xunda
