// The blocking HTTP client: one ExecuteMethod sends one request over a TcpSocket and reads the
// whole reply into memory. HTTP/0.9, 1.0 and 1.1; through an HTTP proxy (absolute URI), a
// CONNECT tunnel for https URLs, or a SOCKS proxy set on Sock(); Basic credentials, a byte range
// and cookies; bodies by Content-Length, by chunks or until the peer closes. No redirects, no
// authentication challenges, no decompression.
//
// A GET with a time-out:
//     HttpRequest http;
//     http.Timeout = 30000;
//     http.ExecuteMethod("GET", "http://host:8360/path?query");
//     http.ResultCode();   // 500 when no reply came
//     http.Document();     // the body (a MemoryStream), positioned at 0
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/stream.h"
#include "net/tcp_socket.h"

namespace xunda {

struct UrlParts;

class NetClient {
  public:
    std::string TargetHost = "127.0.0.1";  // each request overwrites it
    std::string TargetPort = "0";
    std::string IPInterface = "0.0.0.0";  // local address bound before connecting
    int Timeout = 5000;                   // ms, bound of every wait of a request (and of the connect)
    int Deadline = 0;                     // ms, bound of a request as a whole (connect, tunnel, head,
                                          // body); 0 = none. Running out fails with 10060.
    std::string UserName;                 // credentials used when the URL has none
    std::string Password;
};

enum class TransferEncodingKind { TE_Unknown, TE_Identity, TE_Chunked };

class HttpRequest : public NetClient {
  public:
    HttpRequest();
    ~HttpRequest();
    HttpRequest(const HttpRequest&) = delete;
    HttpRequest& operator=(const HttpRequest&) = delete;

    TcpSocket& Sock() { return *sock_; }
    // Before a request: the caller's extra lines; after it: status line, header lines, empty line.
    std::vector<std::string>& Headers() { return headers_; }
    // Before a request: the body to send; after it: the reply body, positioned at 0.
    MemoryStream& Document() { return document_; }
    // name=value entries sent with every request and updated from every reply.
    std::vector<std::string>& Cookies() { return cookies_; }

    std::string MimeType = "text/html";
    std::string Protocol = "1.0";  // "0.9", "1.0" or "1.1"
    bool KeepAlive = true;         // false sends "Connection: close"
    bool Status100 = false;        // "Expect: 100-continue" before a body (HTTP/1.1)
    std::string ProxyHost;         // empty = direct
    std::string ProxyPort = "8080";
    std::string ProxyUser, ProxyPass;
    std::string UserAgent = "Mozilla/4.0 (compatible)";
    std::int64_t RangeStart = 0, RangeEnd = 0;
    std::int64_t MaxBodySize = 64 << 20;  // a longer reply body fails with 10055

    int ResultCode() const { return resultCode_; }
    const std::string& ResultString() const { return resultString_; }
    TransferEncodingKind TransferEncoding() const { return transferEncoding_; }
    const std::string& AliveHost() const { return aliveHost_; }
    const std::string& AlivePort() const { return alivePort_; }
    std::int64_t DownloadSize() const { return downloadSize_; }
    std::int64_t UploadSize() const { return uploadSize_; }
    // Some byte of the last request was written to the connection: when no complete reply came,
    // the peer may still have acted on it. False when it failed before (no connection, refused).
    bool RequestWritten() const { return requestWritten_; }

    void Clear();
    // True when the reply was read to its end without a socket error.
    bool ExecuteMethod(const std::string& method, const std::string& url);

    static constexpr int LineLimit = 64 * 1024;
    static constexpr std::size_t HeadLimit = 1 << 20;
    // A body whose storage has this much room ahead has its pages mapped ahead of the bytes.
    static constexpr std::int64_t WarmBodySize = 4 << 20;

  private:
    struct Exchange;
    class BodyWarmer;
    // The steps of a request, in order; each false ends it.
    bool BuildHead(const std::string& method, const std::string& url, Exchange& x);
    bool ConnectOrReuse(bool needSsl);
    bool SendRequest(Exchange& x);
    bool ReadStatusAndHead(Exchange& x);
    bool ReadBody(Exchange& x);

    // Steps of BuildHead. Sets the socket's tunnel for an https URL through ProxyHost; true when
    // the request goes to ProxyHost as an HTTP proxy instead.
    bool ChooseRoute(bool https);
    // The request line and header lines, in the order they go out.
    std::vector<std::string> HeadLines(const Exchange& x, const UrlParts& url, std::string path,
                                       bool useProxy) const;
    void AddCredentialLines(const UrlParts& url, bool useProxy, std::vector<std::string>& head) const;
    std::string CookieLine() const;
    void AddBodyLines(const Exchange& x, std::vector<std::string>& head) const;
    // Steps of ReadBody: whether the reply has one (not for HEAD, 204 or 304), and reading it as
    // the reply delimits it (a length, chunks, or the close).
    bool HasBody(const Exchange& x) const;
    bool ReadFramedBody(Exchange& x);

    std::string BuildRequestHead() const;
    bool OpenConnection(bool needSsl);
    void ForgetConnection();
    bool ReadHeadLine(std::string& line);
    bool ReadNonEmptyLine(std::string& line);
    bool SkipHeaderLines();
    void DecodeStatusLine(const std::string& line);
    void DecodeHeaderLine(const std::string& line, Exchange& x);
    bool ReadBodyUntilClose();
    bool ReadBodyOfLength(std::int64_t size, BodyWarmer& warmer);
    bool ReadChunkedBody(Exchange& x);
    // False, with 10022: the reply breaks its own framing.
    bool Invalid();
    // False, with 10055, when More bytes would take the body past MaxBodySize.
    bool BodyFits(std::int64_t more);
    bool Fail(int error);
    void ParseCookies();

    std::unique_ptr<TcpSocket> sock_;
    std::vector<std::string> headers_;
    MemoryStream document_;
    std::vector<std::string> cookies_;
    TransferEncodingKind transferEncoding_ = TransferEncodingKind::TE_Unknown;
    std::string aliveHost_, alivePort_;
    int resultCode_ = 0;
    std::string resultString_;
    std::int64_t downloadSize_ = 0;
    std::int64_t uploadSize_ = 0;
    bool requestWritten_ = false;
    std::size_t headBytes_ = 0;
};

}  // namespace xunda
