// The blocking socket every socket class of the transport builds on: its own input buffer, line
// reading with line-end conversion, time-outs, a bandwidth limiter, options queued until a socket
// exists, status and data hooks, and one error model (LastError with WinSock numbers, optionally
// raised as ESocketError). One object is used by one thread at a time; StopFlag may be set from
// another thread and takes effect at the next send or receive.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/stream.h"
#include "net/bandwidth_limiter.h"
#include "net/line_reader.h"
#include "net/socket_api.h"
#include "net/socket_error.h"

namespace xunda {

class NetSocket;

enum class HookSocketReason {
    HR_ResolvingBegin,
    HR_ResolvingEnd,
    HR_SocketCreate,
    HR_SocketClose,
    HR_Bind,
    HR_Connect,
    HR_CanRead,
    HR_CanWrite,
    HR_Listen,
    HR_Accept,
    HR_ReadCount,
    HR_WriteCount,
    HR_Wait,
    HR_Error,
};

enum class SocketFamily { SF_Any, SF_IP4, SF_IP6 };

using HookSocketStatus =
    std::function<void(NetSocket& sender, HookSocketReason reason, const std::string& value)>;
using HookDataFilter = std::function<void(NetSocket& sender, std::string& value)>;
using HookCreateSocket = std::function<void(NetSocket& sender)>;
using HookMonitor = std::function<void(NetSocket& sender, bool writing, const char* buffer, int length)>;

// Option codes of QueueOption.
enum SocketOptionCode {
    SO_Linger = 0,
    SO_ReceiveBuffer = 1,
    SO_SendBuffer = 2,
    SO_NonBlocking = 3,
    SO_ReceiveTimeout = 4,
    SO_SendTimeout = 5,
    SO_ReuseAddress = 6,
    SO_TimeToLive = 7,
    SO_Broadcast = 8,
    SO_MulticastTimeToLive = 9,
    SO_MulticastLoop = 10,
};

struct SocketOption {
    int Option = 0;
    bool Enabled = false;
    int Value = 0;
};

class NetSocket {
  public:
    NetSocket();
    virtual ~NetSocket();
    NetSocket(const NetSocket&) = delete;
    NetSocket& operator=(const NetSocket&) = delete;

    // Settings of the owner.
    int Tag = 0;
    bool RaiseExcept = false;
    LineReader Lines;  // the received bytes not handed out yet, with the line-end settings
    // The send and receive rates.
    BandwidthLimiter SendLimit;
    BandwidthLimiter ReceiveLimit;
    bool PreferIP4 = true;
    bool InterPacketTimeout = true;
    int SendMaxChunk = 65536;  // values below 1 count as 65536
    // The most one read for a line takes from the connection: what follows the line waits there
    // for a read straight into its place instead of being copied out of the line buffer.
    int LineReadAhead = 65536;
    int ConnectTimeout = 0;  // ms a connect may take; 0 = no limit of our own
    // MonotonicMs() at which every wait, read and connect ends with 10060, whatever its own
    // time-out; 0 = none. The bound of a request as a whole.
    std::uint64_t Deadline = 0;
    std::atomic<bool> StopFlag{false};
    HookSocketStatus OnStatus;
    HookDataFilter OnReadFilter;
    HookCreateSocket OnCreateSocket;
    HookMonitor OnMonitor;

    void SetMaxBandwidth(int value) { SendLimit.Max = ReceiveLimit.Max = value; }
    void SetFamily(SocketFamily value);
    SocketFamily Family() const { return family_; }

    // State.
    SocketHandle Socket() const { return handle_; }
    int LastError() const { return lastError_; }
    // The text of LastError: the two always agree.
    std::string LastErrorDesc() const { return GetErrorDesc(lastError_); }
    std::int64_t BytesReceived() const { return bytesReceived_; }
    std::int64_t BytesSent() const { return bytesSent_; }
    bool Bound() const { return bound_; }
    bool UsesIPv6() const { return usesIPv6_; }
    bool NonBlocking() const { return nonBlocking_; }
    // The last read ended because the peer closed in order (not by a reset or an error).
    bool EndOfStream() const { return endOfStream_; }
    const AddressRecord& LocalAddr() const { return localAddr_; }
    const AddressRecord& RemoteAddr() const { return remoteAddr_; }
    AddressRecord& RemoteAddr() { return remoteAddr_; }

    // Creation, addresses and names.
    void AttachSocket(SocketHandle handle);
    void Bind(const std::string& ip, const std::string& port);
    virtual void Connect(const std::string& ip, const std::string& port);
    virtual void CloseSocket();
    void AbortSocket();
    virtual std::string LocalIP();
    virtual std::string RemoteIP();
    virtual int LocalPort();
    virtual int RemotePort();
    // The first address of Name as numeric text; empty, with the lookup's error in LastError, when
    // it does not resolve.
    std::string ResolveName(const std::string& name);
    // Every address of Name as numeric text, for this socket's family, type and protocol; "0.0.0.0"
    // alone when it has none. The list is emptied first.
    void ResolveNameToList(const std::string& name, std::vector<std::string>& list);
    std::uint16_t ResolvePort(const std::string& port);
    std::string LocalHostName();

    // Options: applied at once on an open socket, else queued for the next one.
    void QueueOption(const SocketOption& option);
    void SetReceiveBufferSize(int size) { QueueOption({SO_ReceiveBuffer, false, size}); }
    void SetSendBufferSize(int size) { QueueOption({SO_SendBuffer, false, size}); }
    void SetReceiveTimeout(int milliseconds) { QueueOption({SO_ReceiveTimeout, false, milliseconds}); }

    // Sending: each returns the bytes sent.
    virtual int SendBuffer(const char* buffer, int length);
    int SendByte(unsigned char value);
    int SendString(const std::string& data);
    int SendInteger(std::int32_t value);
    int SendBlock(const std::string& data);
    int SendBufferTo(const char* buffer, int length);
    // The stream from its position to its end, in SendMaxChunk pieces; SendStream and
    // SendStreamBigEndian put the length in front (4 bytes, least / most significant first).
    void SendStreamRaw(Stream& stream) { SendStreamCore(stream, false, false); }
    void SendStream(Stream& stream) { SendStreamCore(stream, true, false); }
    void SendStreamBigEndian(Stream& stream) { SendStreamCore(stream, true, true); }

    // Receiving; Timeout in ms (-1 waits without limit).
    virtual int ReceiveBuffer(char* buffer, int length);
    std::string ReceiveAvailable(int timeout);
    std::string ReceiveUntil(int timeout, const std::string& terminator);
    std::string ReceiveLine(int timeout);
    int ReceiveExact(char* buffer, int length, int timeout);
    std::string ReceiveExactString(int length, int timeout);
    // Exactly Size bytes handed to Sink in pieces as they arrive (surplus stays buffered); stops
    // at the first error. The unit of stream and exact reads: each read takes what the platform
    // has, with room for what is still missing up to SizedReadLimit.
    using ByteSink = std::function<void(const char* data, std::size_t length)>;
    void ReceiveSized(const ByteSink& sink, std::int64_t size, int timeout);
    static constexpr int SizedReadLimit = 1 << 20;
    // One read of what is available, at most Length bytes, straight into Buffer (the line buffer
    // first); returns the count.
    std::size_t ReceiveInto(char* buffer, std::size_t length, int timeout);
    // Appends to the stream: everything until an error / exactly Size bytes / a 4-byte length
    // (least or most significant first) and that many bytes.
    void ReceiveStreamRaw(Stream& stream, int timeout);
    void ReceiveStreamSized(Stream& stream, int timeout, std::int64_t size);
    // The same read straight into the stream's storage.
    void ReceiveStreamSized(MemoryStream& stream, int timeout, std::int64_t size);
    void ReceiveStream(Stream& stream, int timeout);
    void ReceiveStreamBigEndian(Stream& stream, int timeout);
    unsigned char ReceiveByte(int timeout);
    std::int32_t ReceiveInteger(int timeout);
    std::string ReceiveBlock(int timeout);
    int ReceiveBufferFrom(char* buffer, int length);
    int PeekBuffer(char* buffer, int length);
    unsigned char PeekByte(int timeout);
    virtual int PendingBytes();
    bool WaitReadable(int timeout);
    bool WaitReadableBuffered(int timeout);
    bool WaitWritable(int timeout);
    // Discards what is buffered and pending, at most PurgeLimit bytes.
    void Purge();
    static constexpr int PurgeLimit = 1 << 20;

    // Errors and hooks.
    void SetLastError(int code) { lastError_ = code; }
    int CheckResult(int value);
    void ReportError();
    void NotifyStatus(HookSocketReason reason, const std::string& value);

  protected:
    virtual int SocketType() { return 0; }
    virtual int SocketProtocol() { return 0; }
    void ConnectDirect(const std::string& ip, const std::string& port);
    // Reads both addresses of the open socket again.
    void RefreshAddresses();
    bool CheckStopFlag();
    // Waits as Limiter asks before Length bytes go through it.
    void Throttle(BandwidthLimiter& limiter, int length);
    void NotifyMonitor(bool writing, const char* buffer, int length);
    void FilterReceived(char* buffer, int& length);
    // The end of every read of a stream socket, given the Count it gave and LastError: 0 bytes
    // without an error is the peer's orderly end (10054 and EndOfStream); bytes are counted,
    // shown to the monitor and filtered. Returns the count.
    int FinishReceive(char* buffer, int count);
    // Add to the byte counters and report the count to the status hook.
    void AddBytesReceived(int count);
    void AddBytesSent(int count);
    int ChunkSize() const { return SendMaxChunk > 0 ? SendMaxChunk : 65536; }

  private:
    void ResolveAddress(AddressRecord& record, const std::string& ip, const std::string& port);
    void CreateSocket(const AddressRecord& record);
    int ConnectBounded(const AddressRecord& record);
    void SendStreamCore(Stream& stream, bool withSize, bool bigEndian);
    void ApplyQueuedOptions();
    void ApplyOption(const SocketOption& option);
    bool Wait(short events, int timeout);
    bool DeadlinePassed() const;
    // Timeout (-1: none) shortened to the time left before the deadline.
    int BoundByDeadline(int timeout) const;
    // What ReceiveAvailable gives, read with room for at least Room bytes (more is read when the
    // platform has more pending); valid until the next read.
    std::string_view ReceivePiece(int room, int timeout, int most = 65536);
    // The bytes pending (at least 1) once data or the peer's end is there, waiting up to Timeout;
    // 0, with LastError set, when nothing came.
    int AwaitData(int timeout);
    // Reads of a sized transfer: Read takes up to Room bytes with the given wait and returns the
    // count; the waits share Timeout unless InterPacketTimeout.
    using PieceReader = std::function<std::size_t(std::size_t room, int timeout)>;
    void ReceiveSizedBy(const PieceReader& read, std::int64_t size, int timeout);

    AddressRecord localAddr_{};
    AddressRecord remoteAddr_{};
    bool nonBlocking_ = false;
    bool endOfStream_ = false;
    bool bound_ = false;
    SocketFamily family_ = SocketFamily::SF_Any;
    SocketFamily savedFamily_ = SocketFamily::SF_Any;
    bool usesIPv6_ = false;
    std::vector<SocketOption> queuedOptions_;  // in the order queued
    std::int64_t bytesReceived_ = 0;
    std::int64_t bytesSent_ = 0;
    SocketHandle handle_ = INVALID_SOCKET;
    int lastError_ = 0;
};

}  // namespace xunda
