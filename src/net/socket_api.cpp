#include "net/socket_api.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "net/net_text.h"
#include "net/socket_error.h"

namespace xunda {

namespace {

thread_local int lastSocketError = 0;

int Fail(int wsaError) {
    lastSocketError = wsaError;
    return SOCKET_ERROR;
}

// -1 from a POSIX call becomes the WinSock shape: -1 with the mapped code left behind.
int Check(int result) {
    return result == -1 ? Fail(WsaErrorFromErrno(errno)) : result;
}

template <class Call>
int RetryInterrupted(Call call) {
    int r;
    do r = call();
    while (r == -1 && errno == EINTR);
    return Check(r);
}

int PosixStartup(std::uint16_t) {
    return 0;
}
int PosixCleanup() {
    return 0;
}
int PosixLastError() {
    return lastSocketError;
}

int PosixPoll(pollfd* fds, nfds_t count, int timeoutMs) {
    const std::uint64_t deadline = MonotonicMs() + static_cast<std::uint64_t>(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        int r = ::poll(fds, count, timeoutMs);
        if (r != -1 || errno != EINTR) return Check(r);
        if (timeoutMs > 0) {
            std::uint64_t now = MonotonicMs();
            timeoutMs = now >= deadline ? 0 : static_cast<int>(deadline - now);
        }
    }
}

SocketHandle PosixSocket(int family, int type, int protocol) {
    return Check(::socket(family, type | SOCK_CLOEXEC, protocol));
}

int PosixClose(SocketHandle s) {
    return Check(::close(s));
}

int PosixIoctl(SocketHandle s, unsigned long command, std::uint32_t* argument) {
    int value = static_cast<int>(*argument);
    int r = Check(::ioctl(s, command, &value));
    if (r != -1) *argument = static_cast<std::uint32_t>(value);
    return r;
}

int PosixBind(SocketHandle s, const sockaddr* a, int length) {
    return Check(::bind(s, a, static_cast<socklen_t>(length)));
}

int PosixConnect(SocketHandle s, const sockaddr* a, int length) {
    // An interrupted connect goes on in the background; the caller waits for it as for a
    // non-blocking one.
    return Check(::connect(s, a, static_cast<socklen_t>(length)));
}

int PosixListen(SocketHandle s, int backlog) {
    return Check(::listen(s, backlog));
}

SocketHandle PosixAccept(SocketHandle s, sockaddr* a, int* length) {
    socklen_t l = length ? static_cast<socklen_t>(*length) : 0;
    int r = RetryInterrupted([&] { return ::accept4(s, a, length ? &l : nullptr, SOCK_CLOEXEC); });
    if (r != -1 && length) *length = static_cast<int>(l);
    return r;
}

int PosixSockName(SocketHandle s, sockaddr* a, int* length) {
    socklen_t l = static_cast<socklen_t>(*length);
    int r = Check(::getsockname(s, a, &l));
    *length = static_cast<int>(l);
    return r;
}

int PosixPeerName(SocketHandle s, sockaddr* a, int* length) {
    socklen_t l = static_cast<socklen_t>(*length);
    int r = Check(::getpeername(s, a, &l));
    *length = static_cast<int>(l);
    return r;
}

int PosixGetOpt(SocketHandle s, int level, int option, char* value, int* length) {
    socklen_t l = static_cast<socklen_t>(*length);
    int r = Check(::getsockopt(s, level, option, value, &l));
    *length = static_cast<int>(l);
    return r;
}

int PosixSetOpt(SocketHandle s, int level, int option, const char* value, int length) {
    return Check(::setsockopt(s, level, option, value, static_cast<socklen_t>(length)));
}

// On a blocking socket "would block" means that its send or receive time-out ran out.
int TimedOutWhenBlocking(SocketHandle s, int flags, int result) {
    if (result == SOCKET_ERROR && lastSocketError == WSAEWOULDBLOCK && !(flags & MSG_DONTWAIT) &&
        !(::fcntl(s, F_GETFL) & O_NONBLOCK))
        lastSocketError = WSAETIMEDOUT;
    return result;
}

int PosixSend(SocketHandle s, const char* buffer, int length, int flags) {
    return TimedOutWhenBlocking(
        s, flags, RetryInterrupted([&] {
            return static_cast<int>(::send(s, buffer, static_cast<size_t>(length), flags | MSG_NOSIGNAL));
        }));
}

int PosixRecv(SocketHandle s, char* buffer, int length, int flags) {
    return TimedOutWhenBlocking(
        s, flags, RetryInterrupted([&] {
            return static_cast<int>(::recv(s, buffer, static_cast<size_t>(length), flags));
        }));
}

int PosixSendTo(SocketHandle s, const char* buffer, int length, int flags, const sockaddr* to, int toLength) {
    return RetryInterrupted([&] {
        return static_cast<int>(::sendto(s, buffer, static_cast<size_t>(length), flags | MSG_NOSIGNAL, to,
                                         static_cast<socklen_t>(toLength)));
    });
}

int PosixRecvFrom(SocketHandle s, char* buffer, int length, int flags, sockaddr* from, int* fromLength) {
    socklen_t l = static_cast<socklen_t>(*fromLength);
    int r = RetryInterrupted([&] {
        return static_cast<int>(::recvfrom(s, buffer, static_cast<size_t>(length), flags, from, &l));
    });
    *fromLength = static_cast<int>(l);
    return r;
}

int PosixShutdown(SocketHandle s, int how) {
    return Check(::shutdown(s, how));
}

int PosixHostName(char* name, int length) {
    return Check(::gethostname(name, static_cast<size_t>(length)));
}

hostent* PosixHostByName(const char* name) {
    hostent* h = ::gethostbyname(name);
    if (!h) lastSocketError = WsaErrorFromHostError(h_errno);
    return h;
}

int PosixAddrInfo(const char* node, const char* service, const addrinfo* hints, addrinfo** result) {
    return WsaErrorFromAddrInfo(::getaddrinfo(node, service, hints, result));
}

int PosixNameInfo(const sockaddr* a, int length, char* host, int hostLength, char* service, int serviceLength,
                  int flags) {
    return WsaErrorFromAddrInfo(::getnameinfo(a, static_cast<socklen_t>(length), host,
                                              static_cast<socklen_t>(hostLength), service,
                                              static_cast<socklen_t>(serviceLength), flags));
}

// What the platform's socket library offers, and its IPv6 helper library.
constexpr SocketFunctions kSocketLibrary = {
    PosixStartup,       PosixCleanup,    PosixLastError, PosixPoll,      PosixSocket,  PosixClose,
    PosixIoctl,         PosixBind,       PosixConnect,   PosixListen,    PosixAccept,  PosixSockName,
    PosixPeerName,      PosixGetOpt,     PosixSetOpt,    PosixSend,      PosixRecv,    PosixSendTo,
    PosixRecvFrom,      PosixShutdown,   PosixHostName,  ::inet_addr,    ::inet_ntoa,  PosixHostByName,
    ::getprotobynumber, ::getservbyname, PosixAddrInfo,  ::freeaddrinfo, PosixNameInfo};

struct LoaderState {
    std::mutex LoaderLock;
    SocketFunctions Table{};
    SocketLoadFaults Faults;
    int LoadCount = 0;
    bool AddrInfoInSocketLibrary = false;
    bool AddrInfoInIPv6Library = false;
};

LoaderState& State() {
    static LoaderState state;
    return state;
}

}  // namespace

const SocketFunctions& SocketApi() {
    return State().Table;
}
SocketFunctions& SocketApiForTest() {
    return State().Table;
}
SocketLoadFaults& SocketLoadFaultsForTest() {
    return State().Faults;
}

bool LoadSocketInterface(const std::string& libraryName) {
    LoaderState& st = State();
    std::string name = libraryName.empty() ? "ws2_32.dll" : libraryName;
    std::lock_guard lock(st.LoaderLock);
    if (st.LoadCount > 0) {
        ++st.LoadCount;
        return true;
    }
    st.AddrInfoInSocketLibrary = false;
    st.AddrInfoInIPv6Library = false;
    if (st.Faults.FailLoad || !EqualsNoCase(name, "ws2_32.dll")) return false;
    st.Table = kSocketLibrary;
    if (st.Faults.NoAddrInfoInSocketLibrary) {
        st.Table.getaddrinfo = nullptr;
        st.Table.freeaddrinfo = nullptr;
        st.Table.getnameinfo = nullptr;
    }
    st.AddrInfoInSocketLibrary = st.Table.getaddrinfo && st.Table.freeaddrinfo && st.Table.getnameinfo;
    if (!st.AddrInfoInSocketLibrary && !st.Faults.NoIPv6Library) {
        // The IPv6 helper library ("wship6.dll") carries the three functions.
        st.Table.getaddrinfo = kSocketLibrary.getaddrinfo;
        st.Table.freeaddrinfo = kSocketLibrary.freeaddrinfo;
        st.Table.getnameinfo = kSocketLibrary.getnameinfo;
        st.AddrInfoInIPv6Library = true;
    }
    ++st.LoadCount;
    return true;
}

bool UnloadSocketInterface() {
    LoaderState& st = State();
    std::lock_guard lock(st.LoaderLock);
    if (st.LoadCount > 0) --st.LoadCount;
    return true;
}

int SocketLoadCount() {
    std::lock_guard lock(State().LoaderLock);
    return State().LoadCount;
}

bool HasAddrInfo(int family) {
    const LoaderState& st = State();
    return st.AddrInfoInSocketLibrary || (st.AddrInfoInIPv6Library && family == AF_INET6);
}

void StartSocketInterface() {
    if (!LoadSocketInterface("ws2_32.dll")) {
        const std::string text = "Error loading Socket interface (ws2_32.dll)!";
        throw ESocketError(text, 0, text);
    }
    SocketApi().WSAStartup(0x0202);
}

void StopSocketInterface() {
    if (SocketApi().WSACleanup) SocketApi().WSACleanup();
    UnloadSocketInterface();
}

namespace {

// The interface is loaded when the program starts and released when it ends.
struct SocketInterfaceLifetime {
    SocketInterfaceLifetime() { StartSocketInterface(); }
    ~SocketInterfaceLifetime() { StopSocketInterface(); }
} socketInterfaceLifetime;

}  // namespace

int AddressLength(const AddressRecord& record) {
    switch (record.sa.sa_family) {
        case AF_INET:
            return static_cast<int>(sizeof(sockaddr_in));
        case AF_INET6:
            return static_cast<int>(sizeof(sockaddr_in6));
        default:
            return 0;
    }
}

int AddressPort(const AddressRecord& record) {
    return ntohs(record.in4.sin_port);
}

namespace {

int LookupAddress(const std::string& ip, const std::string& port, addrinfo hints, AddressRecord& record) {
    const SocketFunctions& api = SocketApi();
    std::memset(&record, 0, sizeof record);
    addrinfo* list = nullptr;
    int r;
    if (hints.ai_socktype == SOCK_RAW) {
        hints.ai_socktype = 0;
        hints.ai_protocol = 0;
        r = api.getaddrinfo(ip.c_str(), nullptr, &hints, &list);
    } else if (ip == "0.0.0.0" || ip == "::0") {
        hints.ai_flags |= AI_PASSIVE;
        r = api.getaddrinfo(nullptr, port.c_str(), &hints, &list);
    } else if (ip == "127.0.0.1" || ip == "::1") {
        r = api.getaddrinfo(nullptr, port.c_str(), &hints, &list);
    } else {
        r = api.getaddrinfo(ip.c_str(), port.c_str(), &hints, &list);
    }
    if (r == 0 && list && list->ai_addrlen <= sizeof record)
        std::memcpy(&record, list->ai_addr, list->ai_addrlen);
    if (list) api.freeaddrinfo(list);
    return r;
}

std::uint16_t DecimalPort(const std::string& port) {
    std::int64_t v = 0;
    return ParseDecimal(port, v) && v >= 0 && v <= 0xFFFF ? static_cast<std::uint16_t>(v) : 0;
}

// Host-entry road: the port of a service name, else the decimal number (0 when not one).
// Caller holds the loader lock.
std::uint16_t ServicePortUnlocked(const std::string& port, int sockProtocol) {
    const SocketFunctions& api = SocketApi();
    if (protoent* proto = api.getprotobynumber(sockProtocol))
        if (servent* service = api.getservbyname(port.c_str(), proto->p_name))
            return ntohs(static_cast<std::uint16_t>(service->s_port));
    return DecimalPort(port);
}

}  // namespace

int FillSocketAddress(AddressRecord& record, const std::string& ip, const std::string& port, int family,
                      int sockProtocol, int sockType, bool preferIP4) {
    std::memset(&record, 0, sizeof record);
    if (HasAddrInfo(family)) {
        addrinfo first{}, second{};
        first.ai_socktype = second.ai_socktype = sockType;
        first.ai_protocol = second.ai_protocol = sockProtocol;
        bool twoPasses = family == AF_UNSPEC;
        if (!twoPasses) {
            first.ai_family = family;
        } else {
            first.ai_family = preferIP4 ? AF_INET : AF_INET6;
            second.ai_family = preferIP4 ? AF_INET6 : AF_INET;
        }
        int r = LookupAddress(ip, port, first, record);
        if (r != 0 && twoPasses) r = LookupAddress(ip, port, second, record);
        return r;
    }
    const SocketFunctions& api = SocketApi();
    std::lock_guard lock(State().LoaderLock);
    record.in4.sin_family = AF_INET;
    record.in4.sin_port = htons(ServicePortUnlocked(port, sockProtocol));
    if (ip == "255.255.255.255") {
        record.in4.sin_addr.s_addr = INADDR_BROADCAST;
        return 0;
    }
    in_addr_t a = api.inet_addr(ip.c_str());
    if (a != INADDR_NONE) {
        record.in4.sin_addr.s_addr = a;
        return 0;
    }
    hostent* h = api.gethostbyname(ip.c_str());
    int r = h ? 0 : api.WSAGetLastError();
    if (h && h->h_addrtype == AF_INET && h->h_addr_list[0])
        std::memcpy(&record.in4.sin_addr, h->h_addr_list[0], sizeof(in_addr));
    return r;
}

std::string AddressToText(const AddressRecord& record) {
    const SocketFunctions& api = SocketApi();
    if (HasAddrInfo(record.sa.sa_family)) {
        char host[1025], service[32];
        if (api.getnameinfo(&record.sa, AddressLength(record), host, sizeof host, service, sizeof service,
                            NI_NUMERICHOST | NI_NUMERICSERV) == 0)
            return host;
        return {};
    }
    std::lock_guard lock(State().LoaderLock);  // inet_ntoa's text lives in shared storage
    const char* text = api.inet_ntoa(record.in4.sin_addr);
    return text ? text : "";
}

std::vector<std::string> ResolveNameToAddresses(const std::string& name, int family, int sockProtocol,
                                                int sockType) {
    const SocketFunctions& api = SocketApi();
    std::vector<std::string> list;
    if (HasAddrInfo(family)) {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = sockType;
        hints.ai_protocol = sockProtocol;
        addrinfo* result = nullptr;
        if (api.getaddrinfo(name.c_str(), nullptr, &hints, &result) == 0) {
            for (addrinfo* a = result; a; a = a->ai_next) {
                if ((family == AF_INET6 && a->ai_family == AF_INET) ||
                    (family == AF_INET && a->ai_family == AF_INET6))
                    continue;
                char host[1025], service[32];
                if (api.getnameinfo(a->ai_addr, static_cast<int>(a->ai_addrlen), host, sizeof host, service,
                                    sizeof service, NI_NUMERICHOST | NI_NUMERICSERV) == 0)
                    list.emplace_back(host);
            }
        }
        if (result) api.freeaddrinfo(result);
    } else if (api.inet_addr(name.c_str()) != INADDR_NONE) {
        list.push_back(name);
    } else {
        std::lock_guard lock(State().LoaderLock);
        if (hostent* h = api.gethostbyname(name.c_str()); h && h->h_addrtype == AF_INET) {
            for (char** a = h->h_addr_list; *a; ++a) {
                auto* b = reinterpret_cast<unsigned char*>(*a);
                list.push_back(std::to_string(b[0]) + "." + std::to_string(b[1]) + "." +
                               std::to_string(b[2]) + "." + std::to_string(b[3]));
            }
        }
    }
    if (list.empty()) list.emplace_back("0.0.0.0");
    return list;
}

std::uint16_t ResolveServicePort(const std::string& port, int family, int sockProtocol, int sockType) {
    const SocketFunctions& api = SocketApi();
    if (HasAddrInfo(family)) {
        addrinfo hints{};
        hints.ai_family = family;
        hints.ai_socktype = sockType;
        hints.ai_protocol = sockProtocol;
        hints.ai_flags = AI_PASSIVE;
        addrinfo* result = nullptr;
        std::uint16_t found = 0;
        if (api.getaddrinfo(nullptr, port.c_str(), &hints, &result) == 0 && result &&
            (result->ai_family == AF_INET || result->ai_family == AF_INET6))
            found = ntohs(reinterpret_cast<const sockaddr_in*>(result->ai_addr)->sin_port);
        if (result) api.freeaddrinfo(result);
        return found;
    }
    std::lock_guard lock(State().LoaderLock);
    return ServicePortUnlocked(port, sockProtocol);
}

int BindTo(SocketHandle s, const AddressRecord& record) {
    return SocketApi().bind(s, &record.sa, AddressLength(record));
}

int ConnectTo(SocketHandle s, const AddressRecord& record) {
    return SocketApi().connect(s, &record.sa, AddressLength(record));
}

int ReadSocketName(SocketHandle s, AddressRecord& record) {
    std::memset(&record, 0, sizeof record);
    int length = sizeof record;
    return SocketApi().getsockname(s, &record.sa, &length);
}

int ReadPeerName(SocketHandle s, AddressRecord& record) {
    std::memset(&record, 0, sizeof record);
    int length = sizeof record;
    return SocketApi().getpeername(s, &record.sa, &length);
}

std::string HostName() {
    char name[255] = {};
    if (SocketApi().gethostname(name, 254) != 0) return {};
    name[254] = '\0';
    return name;
}

}  // namespace xunda
