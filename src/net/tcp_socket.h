// The stream socket the HTTP client talks through: route choice at connect (SOCKS proxy, HTTP
// CONNECT tunnel, or direct), a pluggable SSL layer that send, receive and close go through once
// an SSL connection is up, and a listen that can ask a SOCKS proxy to listen for it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "net/socks_socket.h"
#include "net/ssl_layer.h"

namespace xunda {

using HookAfterConnect = std::function<void(TcpSocket& sender)>;

class TcpSocket : public SocksSocket {
  public:
    TcpSocket();
    ~TcpSocket() override;

    HookAfterConnect OnAfterConnect;
    CustomSSL& SSL() { return *ssl_; }

    // CONNECT tunnel through an HTTP proxy; empty HTTPTunnelIP = no tunnel.
    std::string HTTPTunnelIP, HTTPTunnelPort;
    std::string HTTPTunnelUser, HTTPTunnelPass;
    int HTTPTunnelTimeout = 30000;  // bound of each wait for a line of the proxy's reply, ms
    bool HTTPTunnel = false;        // true while the tunnel is established
    std::string HTTPTunnelRemoteIP, HTTPTunnelRemotePort;

    void Connect(const std::string& host, const std::string& port) override;
    void CloseSocket() override;
    int SendBuffer(const char* buffer, int length) override;
    int ReceiveBuffer(char* buffer, int length) override;
    int PendingBytes() override;
    std::string LocalIP() override;
    std::string RemoteIP() override;
    int LocalPort() override;
    int RemotePort() override;
    void StartSsl();
    void Listen();

    // Longest reply head a CONNECT proxy may send.
    static constexpr std::size_t TunnelHeadLimit = 1 << 20;

  protected:
    int SocketType() override { return SOCK_STREAM; }
    int SocketProtocol() override { return IPPROTO_TCP; }

  private:
    void SocksConnect(const std::string& host, const std::string& port);
    void TunnelConnect(const std::string& host, const std::string& port);
    // Ends the SSL connection and the sending direction, and discards what is still to be read.
    void EndConnection();
    std::unique_ptr<CustomSSL> ssl_;
};

// True when the text holds CR, LF or NUL, which must never reach a protocol head.
bool HasLineBreakOrNul(const std::string& text);

}  // namespace xunda
