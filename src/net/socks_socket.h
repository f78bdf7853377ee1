// A SOCKS 4, 4a and 5 client on the blocking socket: with SocksIP set, a connect (TcpSocket)
// first reaches the proxy, negotiates and asks it for the real target; a listen asks the proxy
// to listen (BIND).
#pragma once

#include <string>

#include "net/net_socket.h"

namespace xunda {

enum class SocksVersion { ST_Socks5, ST_Socks4 };

class SocksSocket : public NetSocket {
  public:
    // Settings; user name and password are at most 255 bytes each (longer ones are refused).
    std::string SocksIP;  // empty = no SOCKS
    std::string SocksPort = "1080";
    int SocksTimeout = 60000;   // bound of each wait for reply bytes, ms
    std::string SocksUsername;  // SOCKS5 user/password; also the SOCKS4 user id
    std::string SocksPassword;
    bool SocksResolver = true;  // true: the proxy resolves host names
    SocksVersion SocksType = SocksVersion::ST_Socks5;

    // The last connection made through the proxy.
    bool UsingSocks = false;
    int SocksReplyCode = 0;  // -1 while waiting
    std::string SocksResponseIP, SocksResponsePort;
    std::string SocksLocalIP, SocksLocalPort;
    std::string SocksRemoteIP, SocksRemotePort;

    bool SocksGreeting();
    // Command 1 = connect, 2 = bind. False when the request could not be built or sent.
    bool SocksSendRequest(unsigned char command, const std::string& host, const std::string& port);
    bool SocksReadReply();

  protected:
    // Greeting, request and reply on the connection to the proxy; a refusal without a socket
    // error becomes `refusalCode`.
    bool SocksNegotiate(unsigned char command, const std::string& host, const std::string& port,
                        int refusalCode);

  private:
    bool SocksEncodeAddress(const std::string& host, const std::string& port, std::string& out);
    void SocksDecodeReply(const std::string& reply);
};

}  // namespace xunda
