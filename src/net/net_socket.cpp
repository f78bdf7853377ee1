#include "net/net_socket.h"

#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/time.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "net/net_ip.h"
#include "net/net_text.h"

namespace xunda {

namespace {

int FamilyToAddressFamily(SocketFamily family) {
    switch (family) {
        case SocketFamily::SF_IP4:
            return AF_INET;
        case SocketFamily::SF_IP6:
            return AF_INET6;
        default:
            return AF_UNSPEC;
    }
}

}  // namespace

NetSocket::NetSocket() = default;

NetSocket::~NetSocket() {
    NetSocket::CloseSocket();
}

void NetSocket::SetFamily(SocketFamily value) {
    family_ = savedFamily_ = value;
}

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

void NetSocket::Throttle(BandwidthLimiter& limiter, int length) {
    limiter.Throttle(length, [this](std::uint64_t wait) {
        NotifyStatus(HookSocketReason::HR_Wait, std::to_string(wait));
    });
}

// --- options ---

void NetSocket::QueueOption(const SocketOption& option) {
    if (handle_ != INVALID_SOCKET)
        ApplyOption(option);
    else
        queuedOptions_.push_back(option);
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
        case SO_ReceiveBuffer:
            setInt(SOL_SOCKET, SO_RCVBUF, option.Value);
            break;
        case SO_SendBuffer:
            setInt(SOL_SOCKET, SO_SNDBUF, option.Value);
            break;
        case SO_NonBlocking: {
            std::uint32_t on = option.Enabled ? 1 : 0;
            api.ioctlsocket(handle_, FIONBIO, &on);
            nonBlocking_ = option.Enabled;
            break;
        }
        case SO_ReceiveTimeout:
            setTime(SO_RCVTIMEO, option.Value);
            break;
        case SO_SendTimeout:
            setTime(SO_SNDTIMEO, option.Value);
            break;
        case SO_ReuseAddress:
            setInt(SOL_SOCKET, SO_REUSEADDR, option.Enabled ? 1 : 0);
            break;
        case SO_TimeToLive:
            if (usesIPv6_)
                setInt(IPPROTO_IPV6, IPV6_UNICAST_HOPS, option.Value);
            else
                setInt(IPPROTO_IP, IP_TTL, option.Value);
            break;
        case SO_Broadcast:
            setInt(SOL_SOCKET, SO_BROADCAST, option.Enabled ? 1 : 0);
            break;
        case SO_MulticastTimeToLive:
            if (usesIPv6_)
                setInt(IPPROTO_IPV6, IPV6_MULTICAST_HOPS, option.Value);
            else
                setInt(IPPROTO_IP, IP_MULTICAST_TTL, option.Value);
            break;
        case SO_MulticastLoop:
            if (usesIPv6_)
                setInt(IPPROTO_IPV6, IPV6_MULTICAST_LOOP, option.Enabled ? 1 : 0);
            else
                setInt(IPPROTO_IP, IP_MULTICAST_LOOP, option.Enabled ? 1 : 0);
            break;
        default:
            break;
    }
}

// --- creation, binding, connecting, closing ---

void NetSocket::ResolveAddress(AddressRecord& record, const std::string& ip, const std::string& port) {
    const std::string target = ip + ":" + port;
    NotifyStatus(HookSocketReason::HR_ResolvingBegin, target);
    lastError_ = 0;
    SocketFamily family = family_;
    if (handle_ == INVALID_SOCKET && family_ == SocketFamily::SF_Any)
        family = IsIPv4Text(ip)   ? SocketFamily::SF_IP4
                 : IsIPv6Text(ip) ? SocketFamily::SF_IP6
                                  : SocketFamily::SF_Any;
    lastError_ = FillSocketAddress(record, ip, port, FamilyToAddressFamily(family), SocketProtocol(),
                                   SocketType(), PreferIP4);
    NotifyStatus(HookSocketReason::HR_ResolvingEnd, target);
}

void NetSocket::CreateSocket(const AddressRecord& record) {
    StopFlag = false;
    bytesReceived_ = bytesSent_ = 0;
    lastError_ = 0;
    if (handle_ != INVALID_SOCKET) return;
    Lines.Clear();
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
    if (handle_ == INVALID_SOCKET && family_ == SocketFamily::SF_Any && ip == "0.0.0.0" && port == "0")
        return;
    AddressRecord record{};
    ResolveAddress(record, ip, port);
    if (lastError_ == 0) {
        CreateSocket(record);
        if (lastError_ == 0 && CheckResult(BindTo(handle_, record)) == 0) {
            ReadSocketName(handle_, localAddr_);
            Lines.Clear();
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

void NetSocket::Connect(const std::string& ip, const std::string& port) {
    ConnectDirect(ip, port);
}

void NetSocket::ConnectDirect(const std::string& ip, const std::string& port) {
    AddressRecord record{};
    ResolveAddress(record, ip, port);
    if (lastError_ == 0) {
        CreateSocket(record);
        if (lastError_ == 0) {
            lastError_ = ConnectBounded(record);
            if (lastError_ == 0) RefreshAddresses();
        }
        Lines.Reset();
        endOfStream_ = false;
    }
    ReportError();
    NotifyStatus(HookSocketReason::HR_Connect, ip + ":" + port);
}

void NetSocket::CloseSocket() {
    AbortSocket();
}

void NetSocket::AbortSocket() {
    if (handle_ != INVALID_SOCKET) SocketApi().closesocket(handle_);
    handle_ = INVALID_SOCKET;
    queuedOptions_.clear();
    family_ = savedFamily_;
    lastError_ = 0;
    NotifyStatus(HookSocketReason::HR_SocketClose, "");
}

std::string NetSocket::LocalIP() {
    return AddressToText(localAddr_);
}
std::string NetSocket::RemoteIP() {
    return AddressToText(remoteAddr_);
}
int NetSocket::LocalPort() {
    return AddressPort(localAddr_);
}
int NetSocket::RemotePort() {
    return AddressPort(remoteAddr_);
}

std::string NetSocket::ResolveName(const std::string& name) {
    AddressRecord record{};
    lastError_ = FillSocketAddress(record, name, "0", FamilyToAddressFamily(family_), SocketProtocol(),
                                   SocketType(), PreferIP4);
    ReportError();
    return lastError_ == 0 ? AddressToText(record) : std::string();
}

void NetSocket::ResolveNameToList(const std::string& name, std::vector<std::string>& list) {
    list = ResolveNameToAddresses(name, FamilyToAddressFamily(family_), SocketProtocol(), SocketType());
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
        Throttle(SendLimit, piece);
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

int NetSocket::SendInteger(std::int32_t value) {
    return SendString(EncodeInt32(SwapBytes32(value)));
}

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
    Throttle(SendLimit, length);
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
    Throttle(ReceiveLimit, length);
    int r = SocketApi().recv(handle_, buffer, length, 0);
    CheckResult(r);
    return FinishReceive(buffer, r);
}

int NetSocket::FinishReceive(char* buffer, int count) {
    endOfStream_ = count == 0 && lastError_ == 0;
    if (endOfStream_) lastError_ = WSAECONNRESET;
    ReportError();
    if (count > 0) {
        AddBytesReceived(count);
        NotifyMonitor(false, buffer, count);
        FilterReceived(buffer, count);
    }
    return count;
}

int NetSocket::ReceiveBufferFrom(char* buffer, int length) {
    if (CheckStopFlag()) return 0;
    Throttle(ReceiveLimit, length);
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

bool NetSocket::DeadlinePassed() const {
    return Deadline != 0 && MonotonicMs() >= Deadline;
}

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

bool NetSocket::WaitReadableBuffered(int timeout) {
    return !Lines.Buffered().empty() || WaitReadable(timeout);
}

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

std::string_view NetSocket::ReceivePiece(int room, int timeout, int most) {
    lastError_ = 0;
    std::string_view piece;
    if (!Lines.Buffered().empty()) {
        piece = Lines.TakeBuffered();
    } else if (int n = AwaitData(timeout); n >= 1) {
        n = std::max(std::min(n, std::max(most, 1)), room);
        piece = Lines.Received(static_cast<std::size_t>(std::max(ReceiveBuffer(Lines.Storage(n), n), 0)));
    }
    ReportError();
    return piece;
}

std::size_t NetSocket::ReceiveInto(char* buffer, std::size_t length, int timeout) {
    if (!Lines.Buffered().empty()) {  // what is buffered goes first, by the common path
        const std::string_view taken = Lines.KeepBeyond(ReceivePiece(0, timeout), length);
        std::memcpy(buffer, taken.data(), taken.size());
        return taken.size();
    }
    lastError_ = 0;
    std::size_t got = 0;
    if (AwaitData(timeout) >= 1)
        got = static_cast<std::size_t>(
            std::max(ReceiveBuffer(buffer, static_cast<int>(std::min<std::size_t>(length, INT_MAX))), 0));
    if (const std::size_t skip = Lines.CarriedLineEnd({buffer, got}); skip > 0) {
        std::memmove(buffer, buffer + skip, got - skip);
        got -= skip;
    }
    ReportError();
    return got;
}

std::string NetSocket::ReceiveUntil(int timeout, const std::string& terminator) {
    lastError_ = 0;
    if (terminator.empty()) return {};
    std::string line;
    lastError_ = Lines.ReadUntil(
        [this](int wait, std::string_view& piece) {
            piece = ReceivePiece(0, wait, LineReadAhead);
            return lastError_;
        },
        terminator, timeout, !InterPacketTimeout, line);
    ReportError();
    return line;
}

std::string NetSocket::ReceiveLine(int timeout) {
    std::string line = ReceiveUntil(timeout, "\r\n");
    return lastError_ == 0 ? line : std::string();
}

void NetSocket::ReceiveSizedBy(const PieceReader& read, std::int64_t size, int timeout) {
    lastError_ = 0;
    for (std::int64_t left = size; left > 0;) {
        const std::uint64_t start = MonotonicMs();
        left -= static_cast<std::int64_t>(
            read(static_cast<std::size_t>(std::min<std::int64_t>(left, SizedReadLimit)), timeout));
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
            const std::string_view taken = Lines.KeepBeyond(ReceivePiece(static_cast<int>(room), wait), room);
            if (!taken.empty()) sink(taken.data(), taken.size());
            return taken.size();
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
            return stream.WriteInPlace(room,
                                       [&](char* at, std::size_t n) { return ReceiveInto(at, n, wait); });
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
    if (Lines.Buffered().empty()) Lines.Keep(ReceivePiece(0, timeout));
    if (lastError_ == 0 && !Lines.Buffered().empty()) result = Lines.TakeByte();
    ReportError();
    return result;
}

std::int32_t NetSocket::ReceiveInteger(int timeout) {
    std::string bytes = ReceiveExactString(4, timeout);
    ReportError();
    if (bytes.size() < 4) return 0;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
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
        while ((!Lines.Buffered().empty() || PendingBytes() > 0) &&
               discarded < static_cast<std::size_t>(PurgeLimit)) {
            discarded += ReceiveAvailable(0).size();
            if (lastError_ != 0) break;
        }
    } catch (const ESocketError&) {
    }
    lastError_ = 0;
}

}  // namespace xunda
