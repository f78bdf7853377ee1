#include "net/net_socket.h"

#include "net/net_ip.h"
#include "net/net_text.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/time.h>

namespace xunda {

namespace {

int FamilyToAddressFamily(SocketFamily family) {
    switch (family) {
        case SocketFamily::SF_IP4: return AF_INET;
        case SocketFamily::SF_IP6: return AF_INET6;
        default: return AF_UNSPEC;
    }
}

// Time left of a read whose waits share one time-out; false when it has run out.
bool ConsumeTimeout(int& timeout, std::uint64_t start) {
    if (timeout < 0) return true;
    std::uint64_t elapsed = MonotonicMs() - start;
    timeout = elapsed >= static_cast<std::uint64_t>(timeout) ? 0 : timeout - static_cast<int>(elapsed);
    return timeout >= 1;
}

}  // namespace

NetSocket::NetSocket() = default;

NetSocket::~NetSocket() { NetSocket::CloseSocket(); }

void NetSocket::SetFamily(SocketFamily value) { family_ = savedFamily_ = value; }

void NetSocket::NotifyStatus(HookSocketReason reason, const std::string& value) {
    if (OnStatus) OnStatus(*this, reason, value);
}

void NetSocket::NotifyMonitor(bool writing, const char* buffer, int length) {
    if (OnMonitor) OnMonitor(*this, writing, buffer, length);
}

void NetSocket::AddBytesReceived(int count) {
    bytesReceived_ += count;
    NotifyStatus(HookSocketReason::HR_ReadCount, std::to_string(count));
}

void NetSocket::AddBytesSent(int count) {
    bytesSent_ += count;
    NotifyStatus(HookSocketReason::HR_WriteCount, std::to_string(count));
}

void NetSocket::FilterReceived(char* buffer, int& length) {
    if (!OnReadFilter || length < 1) return;
    std::string value(buffer, static_cast<std::size_t>(length));
    OnReadFilter(*this, value);
    if (value.size() > static_cast<std::size_t>(length)) value.resize(static_cast<std::size_t>(length));
    std::memcpy(buffer, value.data(), value.size());
    length = static_cast<int>(value.size());
}

int NetSocket::CheckResult(int value) {
    lastError_ = value == SOCKET_ERROR ? SocketApi().WSAGetLastError() : 0;
    return lastError_;
}

void NetSocket::ReportError() {
    if (lastError_ == 0 || lastError_ == WSAEWOULDBLOCK || lastError_ == WSAEINPROGRESS) return;
    const std::string text = LastErrorDesc();
    NotifyStatus(HookSocketReason::HR_Error, std::to_string(lastError_) + "," + text);
    if (RaiseExcept) {
        char message[512];
        std::snprintf(message, sizeof message, "TCP/IP socket error %d: %s", lastError_, text.c_str());
        throw ESocketError(message, lastError_, text);
    }
}

bool NetSocket::CheckStopFlag() {
    if (!StopFlag.exchange(false)) return false;
    lastError_ = WSAECONNABORTED;
    ReportError();
    return true;
}

void NetSocket::ThrottleBandwidth(int length, int max, std::uint64_t& next) {
    if (max <= 0) return;
    std::uint64_t now = MonotonicMs();
    if (next > now) {
        std::uint64_t wait = next - now;
        NotifyStatus(HookSocketReason::HR_Wait, std::to_string(wait));
        SleepMs(static_cast<std::uint32_t>(std::min<std::uint64_t>(wait, 0xFFFFFFFFu)));
    }
    next = MonotonicMs() + static_cast<std::uint64_t>(static_cast<double>(length) / max * 1000.0);
}

// --- options ---

void NetSocket::QueueOption(const SocketOption& option) {
    if (handle_ != INVALID_SOCKET) ApplyOption(option);
    else queuedOptions_.push_back(option);
}

void NetSocket::ApplyQueuedOptions() {
    std::vector<SocketOption> queue;
    queue.swap(queuedOptions_);
    for (const SocketOption& option : queue) ApplyOption(option);
}

void NetSocket::ApplyOption(const SocketOption& option) {
    const SocketFunctions& api = SocketApi();
    auto setInt = [&](int level, int name, int value) {
        api.setsockopt(handle_, level, name, reinterpret_cast<const char*>(&value), sizeof value);
    };
    auto setTime = [&](int name, int ms) {
        timeval tv{ms / 1000, (ms % 1000) * 1000};
        api.setsockopt(handle_, SOL_SOCKET, name, reinterpret_cast<const char*>(&tv), sizeof tv);
    };
    switch (option.Option) {
        case SO_Linger: {
            linger l{option.Enabled ? 1 : 0, option.Value / 1000};
            api.setsockopt(handle_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
            break;
        }
        case SO_ReceiveBuffer: setInt(SOL_SOCKET, SO_RCVBUF, option.Value); break;
        case SO_SendBuffer: setInt(SOL_SOCKET, SO_SNDBUF, option.Value); break;
        case SO_NonBlocking: {
            std::uint32_t on = option.Enabled ? 1 : 0;
            api.ioctlsocket(handle_, FIONBIO, &on);
            nonBlocking_ = option.Enabled;
            break;
        }
        case SO_ReceiveTimeout: setTime(SO_RCVTIMEO, option.Value); break;
        case SO_SendTimeout: setTime(SO_SNDTIMEO, option.Value); break;
        case SO_ReuseAddress: setInt(SOL_SOCKET, SO_REUSEADDR, option.Enabled ? 1 : 0); break;
        case SO_TimeToLive:
            if (usesIPv6_) setInt(IPPROTO_IPV6, IPV6_UNICAST_HOPS, option.Value);
            else setInt(IPPROTO_IP, IP_TTL, option.Value);
            break;
        case SO_Broadcast: setInt(SOL_SOCKET, SO_BROADCAST, option.Enabled ? 1 : 0); break;
        case SO_MulticastTimeToLive:
            if (usesIPv6_) setInt(IPPROTO_IPV6, IPV6_MULTICAST_HOPS, option.Value);
            else setInt(IPPROTO_IP, IP_MULTICAST_TTL, option.Value);
            break;
        case SO_MulticastLoop:
            if (usesIPv6_) setInt(IPPROTO_IPV6, IPV6_MULTICAST_LOOP, option.Enabled ? 1 : 0);
            else setInt(IPPROTO_IP, IP_MULTICAST_LOOP, option.Enabled ? 1 : 0);
            break;
        default: break;
    }
}

// --- creation, binding, connecting, closing ---

void NetSocket::ResolveAddress(AddressRecord& record, const std::string& ip, const std::string& port) {
    const std::string target = ip + ":" + port;
    NotifyStatus(HookSocketReason::HR_ResolvingBegin, target);
    lastError_ = 0;
    SocketFamily family = family_;
    if (handle_ == INVALID_SOCKET && family_ == SocketFamily::SF_Any)
        family = IsIPv4Text(ip) ? SocketFamily::SF_IP4 : IsIPv6Text(ip) ? SocketFamily::SF_IP6 : SocketFamily::SF_Any;
    lastError_ = FillSocketAddress(record, ip, port, FamilyToAddressFamily(family), SocketProtocol(), SocketType(),
                                   PreferIP4);
    NotifyStatus(HookSocketReason::HR_ResolvingEnd, target);
}

void NetSocket::CreateSocket(const AddressRecord& record) {
    StopFlag = false;
    bytesReceived_ = bytesSent_ = 0;
    lastError_ = 0;
    if (handle_ != INVALID_SOCKET) return;
    lineBuffer_.clear();
    bound_ = false;
    endOfStream_ = false;
    usesIPv6_ = record.sa.sa_family == AF_INET6;
    handle_ = SocketApi().socket(record.sa.sa_family, SocketType(), SocketProtocol());
    if (handle_ == INVALID_SOCKET) lastError_ = SocketApi().WSAGetLastError();
    ReportError();
    NotifyStatus(HookSocketReason::HR_SocketCreate, usesIPv6_ ? "IPv6" : "IPv4");
    if (handle_ == INVALID_SOCKET) return;
    ApplyQueuedOptions();
    if (OnCreateSocket) OnCreateSocket(*this);
}

void NetSocket::AttachSocket(SocketHandle handle) {
    bytesReceived_ = bytesSent_ = 0;
    handle_ = handle;
    RefreshAddresses();
    usesIPv6_ = remoteAddr_.sa.sa_family == AF_INET6;
}

void NetSocket::RefreshAddresses() {
    ReadSocketName(handle_, localAddr_);
    ReadPeerName(handle_, remoteAddr_);
}

void NetSocket::Bind(const std::string& ip, const std::string& port) {
    if (handle_ == INVALID_SOCKET && family_ == SocketFamily::SF_Any && ip == "0.0.0.0" && port == "0") return;
    AddressRecord record{};
    ResolveAddress(record, ip, port);
    if (lastError_ == 0) {
        CreateSocket(record);
        if (lastError_ == 0 && CheckResult(BindTo(handle_, record)) == 0) {
            ReadSocketName(handle_, localAddr_);
            lineBuffer_.clear();
            bound_ = true;
        }
    }
    ReportError();
    NotifyStatus(HookSocketReason::HR_Bind, ip + ":" + port);
}

int NetSocket::ConnectBounded(const AddressRecord& record) {
    const SocketFunctions& api = SocketApi();
    std::uint32_t mode = 1;
    api.ioctlsocket(handle_, FIONBIO, &mode);
    int error = 0;
    if (ConnectTo(handle_, record) == SOCKET_ERROR) {
        error = api.WSAGetLastError();
        if (error == WSAEINPROGRESS || error == WSAEWOULDBLOCK || error == WSAEINTR) {
            pollfd p{handle_, POLLOUT, 0};
            int r = api.WSAPoll(&p, 1, BoundByDeadline(ConnectTimeout > 0 ? ConnectTimeout : -1));
            if (r == SOCKET_ERROR) {
                error = api.WSAGetLastError();
            } else if (r == 0) {
                error = WSAETIMEDOUT;
            } else {
                int soError = 0, length = sizeof soError;
                api.getsockopt(handle_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length);
                error = soError ? WsaErrorFromErrno(soError) : 0;
            }
        }
    }
    mode = nonBlocking_ ? 1 : 0;
    api.ioctlsocket(handle_, FIONBIO, &mode);
    return error;
}

void NetSocket::Connect(const std::string& ip, const std::string& port) { ConnectDirect(ip, port); }

void NetSocket::ConnectDirect(const std::string& ip, const std::string& port) {
    AddressRecord record{};
    ResolveAddress(record, ip, port);
    if (lastError_ == 0) {
        CreateSocket(record);
        if (lastError_ == 0) {
            lastError_ = ConnectBounded(record);
            if (lastError_ == 0) RefreshAddresses();
        }
        lineBuffer_.clear();
        endedOnCR_ = endedOnLF_ = false;
        endOfStream_ = false;
    }
    ReportError();
    NotifyStatus(HookSocketReason::HR_Connect, ip + ":" + port);
}

void NetSocket::CloseSocket() { AbortSocket(); }

void NetSocket::AbortSocket() {
    if (handle_ != INVALID_SOCKET) SocketApi().closesocket(handle_);
    handle_ = INVALID_SOCKET;
    queuedOptions_.clear();
    family_ = savedFamily_;
    lastError_ = 0;
    NotifyStatus(HookSocketReason::HR_SocketClose, "");
}

std::string NetSocket::LocalIP() { return AddressToText(localAddr_); }
std::string NetSocket::RemoteIP() { return AddressToText(remoteAddr_); }
int NetSocket::LocalPort() { return AddressPort(localAddr_); }
int NetSocket::RemotePort() { return AddressPort(remoteAddr_); }

std::string NetSocket::ResolveName(const std::string& name) {
    AddressRecord record{};
    lastError_ = FillSocketAddress(record, name, "0", FamilyToAddressFamily(family_), SocketProtocol(), SocketType(),
                                   PreferIP4);
    ReportError();
    return lastError_ == 0 ? AddressToText(record) : std::string();
}

std::uint16_t NetSocket::ResolvePort(const std::string& port) {
    return ResolveServicePort(port, FamilyToAddressFamily(family_), SocketProtocol(), SocketType());
}

std::string NetSocket::LocalHostName() {
    std::string name = HostName();
    return name.empty() ? "127.0.0.1" : name;
}

// --- sending ---

int NetSocket::SendBuffer(const char* buffer, int length) {
    if (CheckStopFlag()) return 0;
    NotifyMonitor(true, buffer, length);
    int sent = 0;
    while (sent < length) {
        int piece = std::min(length - sent, ChunkSize());
        ThrottleBandwidth(piece, MaxSendBandwidth, nextSendTick_);
        int r = SocketApi().send(handle_, buffer + sent, piece, 0);
        if (CheckResult(r) != 0) break;
        sent += r;
        AddBytesSent(r);
    }
    ReportError();
    return sent;
}

int NetSocket::SendByte(unsigned char value) {
    char c = static_cast<char>(value);
    return SendBuffer(&c, 1);
}

int NetSocket::SendString(const std::string& data) {
    return SendBuffer(data.data(), static_cast<int>(data.size()));
}

int NetSocket::SendInteger(std::int32_t value) { return SendString(EncodeInt32(SwapBytes32(value))); }

int NetSocket::SendBlock(const std::string& data) {
    return SendString(EncodeInt32(SwapBytes32(static_cast<std::int32_t>(data.size()))) + data);
}

void NetSocket::SendStreamCore(Stream& stream, bool withSize, bool bigEndian) {
    const std::int64_t length = stream.Size() - stream.Position();
    bool first = true;
    for (;;) {
        std::string piece = ReadBytesFromStream(stream, ChunkSize());
        if (piece.empty()) break;
        if (first && withSize) {
            const auto size = static_cast<std::int32_t>(length);
            piece.insert(0, EncodeInt32(bigEndian ? size : SwapBytes32(size)));
        }
        first = false;
        SendString(piece);
        if (lastError_ != 0) break;
    }
}

int NetSocket::SendBufferTo(const char* buffer, int length) {
    if (CheckStopFlag()) return 0;
    NotifyMonitor(true, buffer, length);
    ThrottleBandwidth(length, MaxSendBandwidth, nextSendTick_);
    int r = SocketApi().sendto(handle_, buffer, length, 0, &remoteAddr_.sa, AddressLength(remoteAddr_));
    CheckResult(r);
    ReportError();
    if (r > 0) {
        AddBytesSent(r);
    }
    return r;
}

// --- receiving ---

int NetSocket::ReceiveBuffer(char* buffer, int length) {
    if (CheckStopFlag()) return 0;
    ThrottleBandwidth(length, MaxRecvBandwidth, nextReceiveTick_);
    int r = SocketApi().recv(handle_, buffer, length, 0);
    endOfStream_ = r == 0;
    if (r == 0) lastError_ = WSAECONNRESET;
    else CheckResult(r);
    ReportError();
    if (r > 0) {
        AddBytesReceived(r);
        NotifyMonitor(false, buffer, r);
        FilterReceived(buffer, r);
    }
    return r;
}

int NetSocket::ReceiveBufferFrom(char* buffer, int length) {
    if (CheckStopFlag()) return 0;
    ThrottleBandwidth(length, MaxRecvBandwidth, nextReceiveTick_);
    int fromLength = sizeof remoteAddr_;
    int r = SocketApi().recvfrom(handle_, buffer, length, 0, &remoteAddr_.sa, &fromLength);
    CheckResult(r);
    ReportError();
    if (r > 0) {
        AddBytesReceived(r);
        NotifyMonitor(false, buffer, r);
    }
    return r;
}

int NetSocket::PeekBuffer(char* buffer, int length) {
    int r = SocketApi().recv(handle_, buffer, length, MSG_PEEK);
    CheckResult(r);
    ReportError();
    return r;
}

unsigned char NetSocket::PeekByte(int timeout) {
    unsigned char result = 0;
    if (WaitReadable(timeout)) {
        char c = 0;
        if (SocketApi().recv(handle_, &c, 1, MSG_PEEK) == 1) result = static_cast<unsigned char>(c);
    } else {
        lastError_ = WSAETIMEDOUT;
    }
    ReportError();
    return result;
}

int NetSocket::PendingBytes() {
    std::uint32_t count = 0;
    if (SocketApi().ioctlsocket(handle_, FIONREAD, &count) == SOCKET_ERROR) return 0;
    return static_cast<int>(std::min<std::uint32_t>(count, 65536));
}

bool NetSocket::Wait(short events, int timeout) {
    if (handle_ == INVALID_SOCKET) {
        // Without a socket the wait fails at once instead of sleeping out its time-out.
        lastError_ = WSAENOTSOCK;
        ReportError();
        return false;
    }
    if (DeadlinePassed()) {
        lastError_ = WSAETIMEDOUT;
        ReportError();
        return false;
    }
    pollfd p{handle_, events, 0};
    int r = SocketApi().WSAPoll(&p, 1, BoundByDeadline(timeout));
    CheckResult(r);
    if (r > 0 && (p.revents & POLLNVAL)) lastError_ = WSAENOTSOCK;  // not an open socket
    bool ready = lastError_ == 0 && r > 0;
    ReportError();
    return ready;
}

bool NetSocket::DeadlinePassed() const { return Deadline != 0 && MonotonicMs() >= Deadline; }

int NetSocket::BoundByDeadline(int timeout) const {
    if (Deadline == 0) return timeout < 0 ? -1 : timeout;
    const std::uint64_t now = MonotonicMs();
    const int left = now >= Deadline ? 0 : static_cast<int>(std::min<std::uint64_t>(Deadline - now, INT_MAX));
    return timeout < 0 ? left : std::min(timeout, left);
}

bool NetSocket::WaitReadable(int timeout) {
    bool ready = Wait(POLLIN, timeout);
    if (ready) NotifyStatus(HookSocketReason::HR_CanRead, "");
    return ready;
}

bool NetSocket::WaitWritable(int timeout) {
    bool ready = Wait(POLLOUT, timeout);
    if (ready) NotifyStatus(HookSocketReason::HR_CanWrite, "");
    return ready;
}

bool NetSocket::WaitReadableBuffered(int timeout) { return !lineBuffer_.empty() || WaitReadable(timeout); }

std::string NetSocket::ReceiveAvailable(int timeout) {
    return std::string(ReceivePiece(0, timeout));
}

int NetSocket::AwaitData(int timeout) {
    if (DeadlinePassed()) {
        lastError_ = WSAETIMEDOUT;  // also while data keeps coming
        return 0;
    }
    SleepMs(0);  // let other threads run during long transfers
    if (int n = PendingBytes(); n >= 1) return n;
    if (!WaitReadable(timeout)) {
        if (lastError_ == 0) lastError_ = WSAETIMEDOUT;
        return 0;
    }
    // Readable with nothing pending: the peer closed (orderly or by reset); the read tells which.
    return std::max(PendingBytes(), 1);
}

std::size_t NetSocket::CarriedLineEnd(std::string_view piece) {
    if (!ConvertLineEnd || piece.empty()) return 0;
    std::size_t skip = endedOnCR_ && piece[0] == '\n' ? 1 : 0;
    if (endedOnLF_ && piece.size() > skip && piece[skip] == '\r') ++skip;
    endedOnCR_ = endedOnLF_ = false;
    return skip;
}

std::string_view NetSocket::ReceivePiece(int room, int timeout) {
    lastError_ = 0;
    std::size_t length = 0;
    if (!lineBuffer_.empty()) {
        readBuffer_.swap(lineBuffer_);
        lineBuffer_.clear();
        length = readBuffer_.size();
    } else if (int n = AwaitData(timeout); n >= 1) {
        n = std::max(n, room);
        if (readBuffer_.size() < static_cast<std::size_t>(n)) readBuffer_.resize(static_cast<std::size_t>(n));
        length = static_cast<std::size_t>(std::max(ReceiveBuffer(readBuffer_.data(), n), 0));
    }
    std::string_view piece(readBuffer_.data(), length);
    piece.remove_prefix(CarriedLineEnd(piece));
    ReportError();
    return piece;
}

std::size_t NetSocket::ReceiveInto(char* buffer, std::size_t length, int timeout) {
    if (!lineBuffer_.empty()) {  // what is buffered goes first, by the common path
        const std::string_view piece = ReceivePiece(0, timeout);
        const std::size_t take = std::min(piece.size(), length);
        std::memcpy(buffer, piece.data(), take);
        if (piece.size() > take) lineBuffer_.assign(piece.substr(take));
        return take;
    }
    lastError_ = 0;
    std::size_t got = 0;
    if (AwaitData(timeout) >= 1)
        got = static_cast<std::size_t>(std::max(ReceiveBuffer(buffer, static_cast<int>(std::min<std::size_t>(length, INT_MAX))), 0));
    if (const std::size_t skip = CarriedLineEnd({buffer, got}); skip > 0) {
        std::memmove(buffer, buffer + skip, got - skip);
        got -= skip;
    }
    ReportError();
    return got;
}

std::string NetSocket::ReceiveUntil(int timeout, const std::string& terminator) {
    lastError_ = 0;
    if (terminator.empty()) return {};
    const bool lineMode = ConvertLineEnd && terminator == "\r\n";
    std::string s;
    std::size_t scanned = 0;  // bytes of s already searched without a line end
    std::size_t lineEnd = std::string::npos, terminatorLength = 0;
    for (;;) {
        const std::uint64_t start = MonotonicMs();
        s.append(ReceivePiece(0, timeout));
        if (lastError_ != 0) break;
        if (lineMode) {
            lineEnd = s.find_first_of("\r\n", scanned);
            if (lineEnd != std::string::npos) {
                std::string found;
                FindLineEnd(std::string_view(s).substr(lineEnd), found);
                terminatorLength = found.size();
                if (found == "\r") endedOnCR_ = true;
                if (found == "\n") endedOnLF_ = true;
            }
        } else {
            std::size_t from = scanned >= terminator.size() ? scanned - (terminator.size() - 1) : 0;
            lineEnd = s.find(terminator, from);
            terminatorLength = terminator.size();
        }
        scanned = s.size();
        std::size_t lineLength = lineEnd == std::string::npos ? s.size() : lineEnd;
        if (MaxLineLength > 0 && lineLength > static_cast<std::size_t>(MaxLineLength)) {
            lastError_ = WSAENOBUFS;
            break;
        }
        if (lineEnd != std::string::npos) break;
        if (!InterPacketTimeout && !ConsumeTimeout(timeout, start)) {
            lastError_ = WSAETIMEDOUT;
            break;
        }
    }
    std::string result;
    if (lastError_ == 0 && lineEnd != std::string::npos) {
        result = s.substr(0, lineEnd);
        s.erase(0, lineEnd + terminatorLength);
    }
    lineBuffer_ = std::move(s);
    ReportError();
    return result;
}

std::string NetSocket::ReceiveLine(int timeout) {
    std::string line = ReceiveUntil(timeout, "\r\n");
    return lastError_ == 0 ? line : std::string();
}

void NetSocket::ReceiveSizedBy(const PieceReader& read, std::int64_t size, int timeout) {
    lastError_ = 0;
    for (std::int64_t left = size; left > 0;) {
        const std::uint64_t start = MonotonicMs();
        left -= static_cast<std::int64_t>(read(static_cast<std::size_t>(std::min<std::int64_t>(left, SizedReadLimit)), timeout));
        if (lastError_ != 0) break;
        if (left > 0 && !InterPacketTimeout && !ConsumeTimeout(timeout, start)) {
            lastError_ = WSAETIMEDOUT;
            break;
        }
    }
}

void NetSocket::ReceiveSized(const ByteSink& sink, std::int64_t size, int timeout) {
    ReceiveSizedBy(
        [&](std::size_t room, int wait) {
            const std::string_view piece = ReceivePiece(static_cast<int>(room), wait);
            const std::size_t take = std::min(piece.size(), room);
            if (take > 0) sink(piece.data(), take);
            if (piece.size() > take) lineBuffer_.assign(piece.substr(take));
            return take;
        },
        size, timeout);
}

void NetSocket::ReceiveStreamRaw(Stream& stream, int timeout) {
    for (;;) {
        const std::string_view piece = ReceivePiece(0, timeout);
        if (lastError_ != 0) break;
        WriteBytesToStream(stream, piece);
    }
}

void NetSocket::ReceiveStreamSized(Stream& stream, int timeout, std::int64_t size) {
    ReceiveSized([&stream](const char* data, std::size_t n) { stream.WriteBuffer(data, n); }, size, timeout);
}

void NetSocket::ReceiveStreamSized(MemoryStream& stream, int timeout, std::int64_t size) {
    ReceiveSizedBy(
        [&](std::size_t room, int wait) {
            return stream.WriteInPlace(room, [&](char* at, std::size_t n) { return ReceiveInto(at, n, wait); });
        },
        size, timeout);
}

void NetSocket::ReceiveStream(Stream& stream, int timeout) {
    std::int32_t size = ReceiveInteger(timeout);
    if (lastError_ == 0) ReceiveStreamSized(stream, timeout, size);
}

void NetSocket::ReceiveStreamBigEndian(Stream& stream, int timeout) {
    std::int32_t size = SwapBytes32(ReceiveInteger(timeout));
    if (lastError_ == 0) ReceiveStreamSized(stream, timeout, size);
}

int NetSocket::ReceiveExact(char* buffer, int length, int timeout) {
    int got = 0;
    ReceiveSized(
        [&](const char* data, std::size_t n) {
            std::memcpy(buffer + got, data, n);
            got += static_cast<int>(n);
        },
        length, timeout);
    return got;
}

std::string NetSocket::ReceiveExactString(int length, int timeout) {
    std::string data;
    ReceiveSized([&](const char* bytes, std::size_t n) { data.append(bytes, n); }, length, timeout);
    if (lastError_ != 0) data.clear();
    return data;
}

unsigned char NetSocket::ReceiveByte(int timeout) {
    lastError_ = 0;
    unsigned char result = 0;
    if (lineBuffer_.empty()) lineBuffer_ = ReceiveAvailable(timeout);
    if (lastError_ == 0 && !lineBuffer_.empty()) {
        result = static_cast<unsigned char>(lineBuffer_[0]);
        lineBuffer_.erase(0, 1);
    }
    ReportError();
    return result;
}

std::int32_t NetSocket::ReceiveInteger(int timeout) {
    std::string bytes = ReceiveExactString(4, timeout);
    ReportError();
    if (bytes.size() < 4) return 0;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return static_cast<std::int32_t>(v);
}

std::string NetSocket::ReceiveBlock(int timeout) {
    std::int32_t length = ReceiveInteger(timeout);
    if (lastError_ != 0) return {};
    std::string data = ReceiveExactString(length, timeout);
    ReportError();
    return data;
}

void NetSocket::Purge() {
    // Give data in flight up to 1 ms to arrive.
    pollfd p{handle_, POLLIN, 0};
    SocketApi().WSAPoll(&p, 1, 1);
    std::size_t discarded = 0;
    try {
        while ((!lineBuffer_.empty() || PendingBytes() > 0) && discarded < static_cast<std::size_t>(PurgeLimit)) {
            discarded += ReceiveAvailable(0).size();
            if (lastError_ != 0) break;
        }
    } catch (const ESocketError&) {
    }
    lastError_ = 0;
}

}  // namespace xunda
