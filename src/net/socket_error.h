// The transport's error model: WinSock-numbered error codes, their English texts and the
// exception a socket raises when asked to.
#pragma once

#include <stdexcept>
#include <string>

namespace xunda {

// The codes the transport itself sets or tests (the platform's are mapped to the same numbers).
inline constexpr int WSAEINTR = 10004;
inline constexpr int WSAEINVAL = 10022;
inline constexpr int WSAEWOULDBLOCK = 10035;
inline constexpr int WSAEINPROGRESS = 10036;
inline constexpr int WSAENOTSOCK = 10038;
inline constexpr int WSAECONNABORTED = 10053;
inline constexpr int WSAECONNRESET = 10054;
inline constexpr int WSAENOBUFS = 10055;
inline constexpr int WSAETIMEDOUT = 10060;
inline constexpr int WSASYSNOTREADY = 10091;
inline constexpr int WSAHOST_NOT_FOUND = 11001;
inline constexpr int WSANO_RECOVERY = 11003;

// "" for 0, the table's text for a known code, else "Other Winsock error (<code>)".
std::string GetErrorDesc(int code);

class ESocketError : public std::runtime_error {
  public:
    ESocketError(const std::string& message, int errorCode, std::string errorMessage)
        : std::runtime_error(message), ErrorCode(errorCode), ErrorMessage(std::move(errorMessage)) {}
    int ErrorCode;
    std::string ErrorMessage;
};

// errno, getaddrinfo (EAI_*) and h_errno values as the WinSock numbers above.
int WsaErrorFromErrno(int error);
int WsaErrorFromAddrInfo(int result);
int WsaErrorFromHostError(int error);

}  // namespace xunda
