// The local simulator of the SMS service: an HTTP server on 127.0.0.1 that answers the client's
// requests as the service does, with the accounts it was given, and lets a test script transport
// faults and service codes and read back what was asked and what was sent.
//
//     xunda::sim::SmsSimulator sim({.accounts = {{"demo", "demo", "10001", "g1", "p1"}}});
//     sim.Start();                       // port 0: any free port, see Port() / Host()
//     sim.Script({.path = "/sms/putMt/", .serviceCode = "501"});
//     ... EXPECT_EQ(sim.SendCount("13800000001"), 1);
//
// Every method is thread-safe. Nothing it prints or records in text form shows a password except
// the raw request records a test asks for.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sms-sim/http_message.h"

namespace xunda::sim {

struct Account {
    std::string user;
    std::string password;
    std::string corpID;
    std::string g;
    std::string p;
};
// "user:password:corpID:g:p"; nullopt when a part is missing or user/corpID is empty.
std::optional<Account> ParseAccount(std::string_view spec);

// One number of an accepted putMt request.
struct SentMessage {
    std::string corpID;
    std::string mob;
    std::string text;  // decoded from the request's msgFormat, as UTF-8
    int msgFormat = 0;
    std::string mtLevel;
    std::string subNumber;
    std::string linkID;
    std::uint64_t mtID = 0;
};

// A message waiting at the service for the client's getMo.
struct IncomingMessage {
    std::string mob;     // sender
    std::string destID;  // number it was sent to
    std::string text;    // UTF-8
    std::string moTime;  // YYYYMMDDhhmmss; empty: the time it was queued
    std::string corpID;  // empty: for whichever account asks first
};

// A delivery report waiting for the client's getReport.
struct DeliveryReport {
    std::uint64_t mtID = 0;
    std::string status = "0";
    std::string corpID;  // empty: for whichever account asks first
};

// Applies to the next request whose path starts with `path` (any request when empty); each script
// is used once, in the order they were given.
struct ReplyScript {
    std::string path;
    // The service answers this code as its only line and does nothing else ("403", "501", ...).
    std::string serviceCode;
    // false: the request never reaches the service (nothing sent, nothing handed out); the reply is
    // then `body` (empty when not given).
    bool serviceActs = true;
    std::optional<int> status;        // an HTTP status other than the service's own 200
    std::optional<std::string> body;  // exact body bytes instead of the service's reply
    Framing framing = Framing::ContentLength;
    std::string lineEnd = "\r\n";  // of the status and header lines ("\n", "\r")
    long lengthDelta = 0;          // Content-Length declared wrong by this many bytes
    std::chrono::milliseconds delay{0};
    bool dropConnection = false;          // close without any reply (after `delay`)
    std::optional<std::size_t> cutAfter;  // the reply breaks off after this many bytes
};

// One request as it arrived.
struct RequestRecord {
    std::string requestLine;
    std::string method;
    std::string target;  // path and query, raw
    std::string path;
    KeyValues query;  // decoded
    KeyValues headers;
};

// Encodings of the data query's XML reply.
enum class XmlEncoding { Utf8, Utf8Bom, Utf16LE, Utf16BE };

struct SimOptions {
    std::vector<Account> accounts;
    std::uint16_t port = 0;
    // Every accepted number gets the delivery report "0" queued.
    bool autoReports = false;
    std::uint64_t firstMessageId = 1000;
    // Every this many putMt requests (0: never) the service acts but its reply is lost: in turn
    // the connection closes without a reply, the reply breaks off, or it comes `faultDelay` late.
    int faultEvery = 0;
    std::chrono::milliseconds faultDelay{2000};
    // Receives one line per request: method, path (never the query) and the answer. Called under a
    // lock, from the connection threads.
    std::function<void(const std::string& line)> log;
};

class SmsService;
class HttpServer;

class SmsSimulator {
  public:
    explicit SmsSimulator(SimOptions options);
    ~SmsSimulator();
    SmsSimulator(const SmsSimulator&) = delete;
    SmsSimulator& operator=(const SmsSimulator&) = delete;

    // Listens on 127.0.0.1; throws std::system_error when the port cannot be had.
    void Start();
    // Cuts pending delays and connections short and waits for all threads; idempotent.
    void Stop();
    std::uint16_t Port() const;
    // "127.0.0.1:<port>", the form the client's service host takes.
    std::string Host() const;

    void Script(ReplyScript script);
    // putMt refuses this number with this code (its result line is "<code>,<code>").
    void RefuseNumber(const std::string& mob, const std::string& code);
    // The next message number handed out (putMt's mtID, getMo's moID): any 64-bit value.
    void SetNextMessageId(std::uint64_t id);
    void QueueIncoming(IncomingMessage message);
    void QueueReport(DeliveryReport report);
    // How the data query writes its reply: the XML encoding and the case of the hex digits.
    void SetDataReply(XmlEncoding encoding, bool upperCaseHex);

    std::vector<RequestRecord> Requests() const;
    std::vector<SentMessage> Sent() const;
    // How many times the service accepted a message for this number.
    int SendCount(const std::string& mob) const;
    std::size_t PendingIncoming() const;
    std::size_t PendingReports() const;

  private:
    Reply Handle(const RequestHead& request);
    Reply Shape(const RequestHead& request, std::optional<ReplyScript> script);
    // The next script for `request` (under mu_): one the test gave, or a fault that is due.
    std::optional<ReplyScript> NextScript(const RequestHead& request);

    std::unique_ptr<SmsService> service_;
    std::unique_ptr<HttpServer> server_;
    std::uint16_t port_;
    std::function<void(const std::string&)> log_;
    mutable std::mutex mu_;
    const int faultEvery_;
    const std::chrono::milliseconds faultDelay_;
    std::vector<ReplyScript> scripts_;
    std::vector<RequestRecord> requests_;
    int putMts_ = 0;
};

}  // namespace xunda::sim
