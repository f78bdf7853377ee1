// The proxy the user configured, for one protocol. On Linux the settings come from the
// environment: http_proxy, https_proxy, all_proxy (a socks scheme gives the "socks=" entry,
// another scheme the entry for every protocol) and no_proxy as the bypass list; each name is
// read in lower case before upper case. A value that is not one URL naming a host and a port is
// ignored: no variable ever sets another protocol's entry.
#pragma once

#include <string>

namespace xunda {

struct ProxySetting {
    std::string Host;  // empty when no proxy applies
    std::string Port;
    std::string Bypass;  // entries separated by commas
};

// What the system reports: a named proxy (AccessType 3) with its list such as
// "http=host:port https=host:port socks=host:port" or a plain "host:port", and the bypass list;
// AccessType 1 is a direct connection.
struct ProxyInfo {
    int AccessType = 1;
    std::string ProxyList;
    std::string BypassList;
};

ProxyInfo ProxyInfoFromEnvironment();
// The entry for Protocol ("" means "http"), matched without regard to case.
ProxySetting ParseProxySettings(const std::string& protocol, const ProxyInfo& info);
// Never fails: every problem gives the empty record.
ProxySetting GetSystemProxy(const std::string& protocol);

}  // namespace xunda
