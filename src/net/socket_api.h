// The socket binding: a table of socket functions with the WinSock calling shape, filled when the
// interface is loaded, over POSIX adapters. A failing function returns -1 (or an invalid handle)
// and leaves a WinSock-numbered code for WSAGetLastError (thread-local). On top of the table:
// the address operations, on the address-information road (getaddrinfo) when it is available,
// else on the older host-entry road (IPv4 only).
#pragma once

#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cstdint>
#include <string>
#include <vector>

namespace xunda {

using SocketHandle = int;
inline constexpr SocketHandle INVALID_SOCKET = -1;
inline constexpr int SOCKET_ERROR = -1;

// A socket address large enough for IPv4 and IPv6.
union AddressRecord {
    sockaddr sa;
    sockaddr_in in4;
    sockaddr_in6 in6;
};

struct SocketFunctions {
    int (*WSAStartup)(std::uint16_t version);
    int (*WSACleanup)();
    int (*WSAGetLastError)();
    // Waits on descriptors of any number (no 1024 limit); retries EINTR with the time left.
    int (*WSAPoll)(pollfd* fds, nfds_t count, int timeoutMs);
    SocketHandle (*socket)(int family, int type, int protocol);
    int (*closesocket)(SocketHandle s);
    int (*ioctlsocket)(SocketHandle s, unsigned long command, std::uint32_t* argument);
    int (*bind)(SocketHandle s, const sockaddr* address, int length);
    int (*connect)(SocketHandle s, const sockaddr* address, int length);
    int (*listen)(SocketHandle s, int backlog);
    SocketHandle (*accept)(SocketHandle s, sockaddr* address, int* length);
    int (*getsockname)(SocketHandle s, sockaddr* address, int* length);
    int (*getpeername)(SocketHandle s, sockaddr* address, int* length);
    int (*getsockopt)(SocketHandle s, int level, int option, char* value, int* length);
    int (*setsockopt)(SocketHandle s, int level, int option, const char* value, int length);
    // send never raises SIGPIPE: a closed peer gives 10054.
    int (*send)(SocketHandle s, const char* buffer, int length, int flags);
    int (*recv)(SocketHandle s, char* buffer, int length, int flags);
    int (*sendto)(SocketHandle s, const char* buffer, int length, int flags, const sockaddr* to,
                  int toLength);
    int (*recvfrom)(SocketHandle s, char* buffer, int length, int flags, sockaddr* from, int* fromLength);
    int (*shutdown)(SocketHandle s, int how);
    int (*gethostname)(char* name, int length);
    // Host-entry road; results live in shared storage (use under the loader lock).
    in_addr_t (*inet_addr)(const char* text);
    char* (*inet_ntoa)(in_addr address);
    hostent* (*gethostbyname)(const char* name);
    protoent* (*getprotobynumber)(int protocol);
    servent* (*getservbyname)(const char* name, const char* protocol);
    // Address-information road; getaddrinfo and getnameinfo return WinSock-numbered codes.
    int (*getaddrinfo)(const char* node, const char* service, const addrinfo* hints, addrinfo** result);
    void (*freeaddrinfo)(addrinfo* list);
    int (*getnameinfo)(const sockaddr* address, int length, char* host, int hostLength, char* service,
                       int serviceLength, int flags);
};

// The table as the last load from an unloaded state filled it.
const SocketFunctions& SocketApi();

// "" means "ws2_32.dll". Counts loads; only the first fills the table.
bool LoadSocketInterface(const std::string& libraryName = "");
bool UnloadSocketInterface();
int SocketLoadCount();
bool HasAddrInfo(int family);

// Program start: loads the interface and starts it; throws ESocketError
// "Error loading Socket interface (ws2_32.dll)!" (ErrorCode 0) when the load fails.
void StartSocketInterface();
// Program end: cleanup and unload.
void StopSocketInterface();

// Test hooks: make the next loads fail, drop the address-information functions from the
// libraries, or change table entries to inject faults (restore them afterwards).
struct SocketLoadFaults {
    bool FailLoad = false;
    bool NoAddrInfoInSocketLibrary = false;
    bool NoIPv6Library = false;
};
SocketLoadFaults& SocketLoadFaultsForTest();
SocketFunctions& SocketApiForTest();

int AddressLength(const AddressRecord& record);
int AddressPort(const AddressRecord& record);
std::string AddressToText(const AddressRecord& record);
// 0 on success, else the WinSock-numbered error of the lookup (the record stays zeroed).
int FillSocketAddress(AddressRecord& record, const std::string& ip, const std::string& port, int family,
                      int sockProtocol, int sockType, bool preferIP4);
// All addresses of Name as numeric text; "0.0.0.0" alone when there is none.
std::vector<std::string> ResolveNameToAddresses(const std::string& name, int family, int sockProtocol,
                                                int sockType);
std::uint16_t ResolveServicePort(const std::string& port, int family, int sockProtocol, int sockType);

// Thin wrappers with the record's length supplied.
int BindTo(SocketHandle s, const AddressRecord& record);
int ConnectTo(SocketHandle s, const AddressRecord& record);
int ReadSocketName(SocketHandle s, AddressRecord& record);
int ReadPeerName(SocketHandle s, AddressRecord& record);
std::string HostName();

}  // namespace xunda
