#include "net/socket_error.h"

#include <netdb.h>

#include <cerrno>
#include <unordered_map>

namespace xunda {

std::string GetErrorDesc(int code) {
    static const std::unordered_map<int, const char*> texts = {
        {10004, "Interrupted system call"},
        {10009, "Bad file number"},
        {10013, "Permission denied"},
        {10014, "Bad address"},
        {10022, "Invalid argument"},
        {10024, "Too many open files"},
        {10035, "Operation would block"},
        {10036, "Operation now in progress"},
        {10037, "Operation already in progress"},
        {10038, "Socket operation on nonsocket"},
        {10039, "Destination address required"},
        {10040, "Message too long"},
        {10041, "Protocol wrong type for Socket"},
        {10042, "Protocol not available"},
        {10043, "Protocol not supported"},
        {10044, "Socket not supported"},
        {10045, "Operation not supported on Socket"},
        {10046, "Protocol family not supported"},
        {10047, "Address family not supported"},
        {10048, "Address already in use"},
        {10049, "Can't assign requested address"},
        {10050, "Network is down"},
        {10051, "Network is unreachable"},
        {10052, "Network dropped connection on reset"},
        {10053, "Software caused connection abort"},
        {10054, "Connection reset by peer"},
        {10055, "No Buffer space available"},
        {10056, "Socket is already connected"},
        {10057, "Socket is not connected"},
        {10058, "Can't send after Socket shutdown"},
        {10059, "Too many references:can't splice"},
        {10060, "Connection timed out"},
        {10061, "Connection refused"},
        {10062, "Too many levels of symbolic links"},
        {10063, "File name is too long"},
        {10064, "Host is down"},
        {10065, "No route to host"},
        {10066, "Directory is not empty"},
        {10067, "Too many processes"},
        {10068, "Too many users"},
        {10069, "Disk quota exceeded"},
        {10070, "Stale NFS file handle"},
        {10071, "Too many levels of remote in path"},
        {10091, "Network subsystem is unusable"},
        {10092, "Winsock DLL cannot support this application"},
        {10093, "Winsock not initialized"},
        {10101, "Disconnect"},
        {11001, "Host not found"},
        {11002, "Non authoritative - host not found"},
        {11003, "Non recoverable error"},
        {11004, "Valid name, no data record of requested type"},
    };
    if (code == 0) return {};
    if (auto it = texts.find(code); it != texts.end()) return it->second;
    return "Other Winsock error (" + std::to_string(code) + ")";
}

int WsaErrorFromErrno(int error) {
    switch (error) {
        case EINTR:
            return 10004;
        case EBADF:
            return 10009;
        case EACCES:
        case EPERM:
            return 10013;
        case EFAULT:
            return 10014;
        case EINVAL:
            return 10022;
        case EMFILE:
        case ENFILE:
            return 10024;
        case EAGAIN:
            return 10035;  // EWOULDBLOCK is the same number on Linux
        case EINPROGRESS:
            return 10036;
        case EALREADY:
            return 10037;
        case ENOTSOCK:
            return 10038;
        case EDESTADDRREQ:
            return 10039;
        case EMSGSIZE:
            return 10040;
        case EPROTOTYPE:
            return 10041;
        case ENOPROTOOPT:
            return 10042;
        case EPROTONOSUPPORT:
            return 10043;
        case ESOCKTNOSUPPORT:
            return 10044;
        case EOPNOTSUPP:
            return 10045;
        case EPFNOSUPPORT:
            return 10046;
        case EAFNOSUPPORT:
            return 10047;
        case EADDRINUSE:
            return 10048;
        case EADDRNOTAVAIL:
            return 10049;
        case ENETDOWN:
            return 10050;
        case ENETUNREACH:
            return 10051;
        case ENETRESET:
            return 10052;
        case ECONNABORTED:
            return 10053;
        case ECONNRESET:
        case EPIPE:
            return 10054;  // a send to a closed peer is a reset
        case ENOBUFS:
        case ENOMEM:
            return 10055;
        case EISCONN:
            return 10056;
        case ENOTCONN:
            return 10057;
        case ESHUTDOWN:
            return 10058;
        case ETOOMANYREFS:
            return 10059;
        case ETIMEDOUT:
            return 10060;
        case ECONNREFUSED:
            return 10061;
        case ELOOP:
            return 10062;
        case ENAMETOOLONG:
            return 10063;
        case EHOSTDOWN:
            return 10064;
        case EHOSTUNREACH:
            return 10065;
        case ENOTEMPTY:
            return 10066;
        case EUSERS:
            return 10068;
        case EDQUOT:
            return 10069;
        case ESTALE:
            return 10070;
        case EREMOTE:
            return 10071;
        default:
            return error;
    }
}

int WsaErrorFromAddrInfo(int result) {
    switch (result) {
        case 0:
            return 0;
        case EAI_AGAIN:
            return 11002;
        case EAI_BADFLAGS:
            return 10022;
        case EAI_FAIL:
            return 11003;
        case EAI_FAMILY:
            return 10047;
        case EAI_MEMORY:
            return 10055;
        case EAI_NONAME:
            return 11001;
        case EAI_NODATA:
        case EAI_ADDRFAMILY:
            return 11004;
        case EAI_SERVICE:
            return 10109;
        case EAI_SOCKTYPE:
            return 10044;
        case EAI_SYSTEM:
            return WsaErrorFromErrno(errno);
        default:
            return 11003;
    }
}

int WsaErrorFromHostError(int error) {
    switch (error) {
        case 0:
            return 0;
        case HOST_NOT_FOUND:
            return 11001;
        case TRY_AGAIN:
            return 11002;
        case NO_RECOVERY:
            return 11003;
        case NO_DATA:
            return 11004;
        default:
            return 11003;
    }
}

}  // namespace xunda
