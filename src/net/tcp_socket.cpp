#include "net/tcp_socket.h"

#include <climits>

#include "net/net_code.h"
#include "net/net_ip.h"
#include "net/net_text.h"

namespace xunda {

bool HasLineBreakOrNul(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

TcpSocket::TcpSocket() : ssl_(CurrentSSLClass()(*this)) {}

// The base destructor closes the socket itself; what it cannot reach from there is done here.
TcpSocket::~TcpSocket() {
    EndConnection();
}

void TcpSocket::Connect(const std::string& host, const std::string& port) {
    UsingSocks = false;
    HTTPTunnel = false;
    if (!SocksIP.empty())
        SocksConnect(host, port);
    else if (!HTTPTunnelIP.empty())
        TunnelConnect(host, port);
    else
        ConnectDirect(host, port);
    if (LastError() == 0 && OnAfterConnect) OnAfterConnect(*this);
}

void TcpSocket::SocksConnect(const std::string& host, const std::string& port) {
    // An unreachable proxy keeps its error and leaves the fields of the last connection alone.
    ConnectDirect(SocksIP, SocksPort);
    if (LastError() == 0) {
        SocksResponseIP.clear();
        SocksResponsePort.clear();
        SocksNegotiate(1, host, port, WSASYSNOTREADY);
        SocksLocalIP = SocksResponseIP;
        SocksLocalPort = SocksResponsePort;
        SocksRemoteIP = host;
        SocksRemotePort = port;
    }
    ReportError();
    NotifyStatus(HookSocketReason::HR_Connect, host + ":" + port);
}

void TcpSocket::TunnelConnect(const std::string& host, const std::string& port) {
    if (HasLineBreakOrNul(host)) {
        SetLastError(WSASYSNOTREADY);
        ReportError();
        return;
    }
    const std::string portText = std::to_string(ResolvePort(port));
    ConnectDirect(HTTPTunnelIP, HTTPTunnelPort);
    if (LastError() != 0) return;
    const std::string target = IsIPv6Text(host) ? "[" + host + "]" : host;
    SendString("CONNECT " + target + ":" + portText + " HTTP/1.0\r\n");
    if (LastError() == 0 && !HTTPTunnelUser.empty())
        SendString("Proxy-Authorization: Basic " + Base64EncodeText(HTTPTunnelUser + ":" + HTTPTunnelPass) +
                   "\r\n");
    if (LastError() == 0) SendString("\r\n");

    const int savedLimit = Lines.MaxLineLength;
    if (Lines.MaxLineLength <= 0 || Lines.MaxLineLength > 65536) Lines.MaxLineLength = 65536;
    std::size_t headBytes = 0;
    while (LastError() == 0) {
        std::string line = ReceiveUntil(HTTPTunnelTimeout, "\n");
        if (LastError() != 0) break;
        headBytes += line.size() + 1;
        if (headBytes > TunnelHeadLimit) {
            SetLastError(WSAENOBUFS);
            break;
        }
        if (line.starts_with("HTTP/") && line.size() > 11) HTTPTunnel = line[9] == '2';
        if (line.empty() || line == "\r") break;
    }
    Lines.MaxLineLength = savedLimit;
    if (LastError() == 0 && !HTTPTunnel) SetLastError(WSASYSNOTREADY);
    HTTPTunnelRemoteIP = target;
    HTTPTunnelRemotePort = portText;
    ReportError();
}

void TcpSocket::CloseSocket() {
    EndConnection();
    AbortSocket();
}

void TcpSocket::EndConnection() {
    if (ssl_->SslConnected) ssl_->Shutdown();
    if (Socket() != INVALID_SOCKET) {
        SocketApi().shutdown(Socket(), SHUT_WR);
        Purge();
    }
}

int TcpSocket::SendBuffer(const char* buffer, int length) {
    if (!ssl_->SslConnected) return NetSocket::SendBuffer(buffer, length);
    if (CheckStopFlag()) return 0;
    SetLastError(0);
    NotifyMonitor(true, buffer, length);
    int total = 0;
    while (total < length) {
        int piece = std::min(length - total, ChunkSize());
        Throttle(SendLimit, piece);
        int n = ssl_->SendBuffer(buffer + total, piece);
        if (ssl_->LastError != 0) SetLastError(WSASYSNOTREADY);
        if (LastError() != 0 || n <= 0) break;
        total += n;
        AddBytesSent(n);
    }
    ReportError();
    return total;
}

int TcpSocket::ReceiveBuffer(char* buffer, int length) {
    if (!ssl_->SslConnected) return NetSocket::ReceiveBuffer(buffer, length);
    if (CheckStopFlag()) return 0;
    SetLastError(0);
    const int n = ssl_->ReceiveBuffer(buffer, length);
    if (ssl_->LastError != 0 || n < 0) SetLastError(WSASYSNOTREADY);
    return FinishReceive(buffer, n);
}

int TcpSocket::PendingBytes() {
    if (!ssl_->SslConnected || Socket() == INVALID_SOCKET) return NetSocket::PendingBytes();
    int n = ssl_->PendingBytes();
    return n == 0 ? NetSocket::PendingBytes() : n;
}

std::string TcpSocket::LocalIP() {
    return UsingSocks ? SocksLocalIP : NetSocket::LocalIP();
}

std::string TcpSocket::RemoteIP() {
    if (UsingSocks) return SocksRemoteIP;
    if (HTTPTunnel) return HTTPTunnelRemoteIP;
    return NetSocket::RemoteIP();
}

int TcpSocket::LocalPort() {
    return UsingSocks ? ResolvePort(SocksLocalPort) : NetSocket::LocalPort();
}

int TcpSocket::RemotePort() {
    if (UsingSocks) return ResolvePort(SocksRemotePort);
    if (HTTPTunnel) return ResolvePort(HTTPTunnelRemotePort);
    return NetSocket::RemotePort();
}

void TcpSocket::StartSsl() {
    SetLastError(0);
    if (!ssl_->Connect()) SetLastError(WSASYSNOTREADY);
    ReportError();
}

void TcpSocket::Listen() {
    if (SocksIP.empty()) {
        CheckResult(SocketApi().listen(Socket(), INT_MAX));
        RefreshAddresses();
    } else {
        std::string ip = LocalIP();
        if (ip.empty() || ip == "0.0.0.0") ip = LocalHostName();
        const std::string port = std::to_string(LocalPort());
        SocksResponseIP.clear();
        SocksResponsePort.clear();
        ConnectDirect(SocksIP, SocksPort);
        if (LastError() == 0) SocksNegotiate(2, ip, port, WSANO_RECOVERY);
        SocksLocalIP = SocksResponseIP == "0.0.0.0" ? SocksIP : SocksResponseIP;
        SocksLocalPort = SocksResponsePort;
        SocksRemoteIP.clear();
        SocksRemotePort.clear();
    }
    ReportError();
    NotifyStatus(HookSocketReason::HR_Listen, "");
}

}  // namespace xunda
