#include "net/socks_socket.h"

#include "net/net_ip.h"
#include "net/net_text.h"

namespace xunda {

namespace {

bool FitsLengthByte(const std::string& text) {
    return text.size() <= 255;
}

std::string Dotted(const std::string& bytes, std::size_t from) {
    std::string text;
    for (std::size_t i = 0; i < 4; ++i) {
        if (i > 0) text += '.';
        text += std::to_string(static_cast<unsigned char>(bytes[from + i]));
    }
    return text;
}

}  // namespace

bool SocksSocket::SocksGreeting() {
    UsingSocks = false;
    if (SocksType == SocksVersion::ST_Socks4) {
        UsingSocks = true;
        return true;
    }
    if (!FitsLengthByte(SocksUsername) || !FitsLengthByte(SocksPassword)) return false;
    SendString(SocksUsername.empty() ? std::string("\x05\x01\x00", 3) : std::string("\x05\x02\x02\x00", 4));
    if (LastError() != 0) return false;
    std::string reply = ReceiveExactString(2, SocksTimeout);
    if (reply.size() < 2 || reply[0] != 5) return false;
    if (reply[1] == 2) {
        SendString(std::string(1, '\x01') + static_cast<char>(SocksUsername.size()) + SocksUsername +
                   static_cast<char>(SocksPassword.size()) + SocksPassword);
        if (LastError() != 0) return false;
        reply = ReceiveExactString(2, SocksTimeout);
        if (reply.size() < 2 || reply[1] != 0) return false;
    } else if (reply[1] != 0) {
        return false;
    }
    UsingSocks = true;
    return true;
}

bool SocksSocket::SocksEncodeAddress(const std::string& host, const std::string& port, std::string& out) {
    std::string target = host;
    // Resolved here instead of by the proxy: a name that does not resolve keeps its lookup error.
    if (!SocksResolver && (target = ResolveName(host)).empty()) return false;
    const std::string portBytes = EncodeWord16(ResolvePort(port));
    if (target.find('\0') != std::string::npos) return false;
    if (SocksType == SocksVersion::ST_Socks4) {
        if (SocksUsername.find('\0') != std::string::npos) return false;
        out = portBytes;
        if (IsIPv4Text(target))
            out += IPv4TextToBytes(target) + SocksUsername + '\0';
        else
            out += std::string("\0\0\0\x01", 4) + SocksUsername + '\0' + target + '\0';  // SOCKS4a
        return true;
    }
    if (IsIPv4Text(target))
        out = '\x01' + IPv4TextToBytes(target);
    else if (IsIPv6Text(target))
        out = '\x04' + IPv6TextToBytes(target);
    else if (FitsLengthByte(target))
        out = '\x03' + std::string(1, static_cast<char>(target.size())) + target;
    else
        return false;
    out += portBytes;
    return true;
}

bool SocksSocket::SocksSendRequest(unsigned char command, const std::string& host, const std::string& port) {
    std::string address;
    if (!SocksEncodeAddress(host, port, address)) return false;
    std::string request = SocksType == SocksVersion::ST_Socks4
                              ? std::string{'\x04', static_cast<char>(command)} + address
                              : std::string{'\x05', static_cast<char>(command), '\0'} + address;
    SendString(request);
    return LastError() == 0;
}

bool SocksSocket::SocksReadReply() {
    SocksResponseIP.clear();
    SocksResponsePort.clear();
    SocksReplyCode = -1;
    std::string reply;
    if (SocksType == SocksVersion::ST_Socks4) {
        reply = ReceiveExactString(8, SocksTimeout);
        if (LastError() != 0 || reply.empty() || reply[0] != 0) return false;
    } else {
        reply = ReceiveExactString(4, SocksTimeout);
        if (LastError() != 0 || reply.empty() || reply[0] != 5) return false;
        switch (reply[3]) {
            case 1:
                reply += ReceiveExactString(4, SocksTimeout);
                break;
            case 3: {
                std::string length = ReceiveExactString(1, SocksTimeout);
                if (LastError() != 0 || length.empty()) return false;
                reply += length + ReceiveExactString(static_cast<unsigned char>(length[0]), SocksTimeout);
                break;
            }
            case 4:
                reply += ReceiveExactString(16, SocksTimeout);
                break;
            default:
                return false;
        }
        if (LastError() != 0) return false;
        reply += ReceiveExactString(2, SocksTimeout);
        if (LastError() != 0) return false;
    }
    SocksReplyCode = static_cast<unsigned char>(reply[1]);
    if (SocksReplyCode != 0 && SocksReplyCode != 90) return false;
    SocksDecodeReply(reply);
    return true;
}

void SocksSocket::SocksDecodeReply(const std::string& reply) {
    int port = 0;  // "0" when the reply is too short
    if (SocksType == SocksVersion::ST_Socks4) {
        if (reply.size() >= 8) {
            port = DecodeWord16(reply, 3);
            SocksResponseIP = Dotted(reply, 4);
        }
    } else if (reply.size() >= 4) {
        switch (reply[3]) {
            case 1:
                if (reply.size() >= 10) {
                    SocksResponseIP = Dotted(reply, 4);
                    port = DecodeWord16(reply, 9);
                }
                break;
            case 3: {
                std::size_t n = reply.size() >= 5 ? static_cast<unsigned char>(reply[4]) : 0;
                if (reply.size() >= 7 + n) {
                    SocksResponseIP = reply.substr(5, n);
                    port = DecodeWord16(reply, static_cast<int>(6 + n));
                }
                break;
            }
            case 4:
                if (reply.size() >= 22) {
                    SocksResponseIP = IPv6BytesToText(reply.substr(4, 16));
                    port = DecodeWord16(reply, 21);
                }
                break;
            default:
                break;
        }
    }
    SocksResponsePort = std::to_string(port);
}

bool SocksSocket::SocksNegotiate(unsigned char command, const std::string& host, const std::string& port,
                                 int refusalCode) {
    bool ok = SocksGreeting() && SocksSendRequest(command, host, port) && SocksReadReply();
    if (!ok && LastError() == 0) SetLastError(refusalCode);
    return ok;
}

}  // namespace xunda
