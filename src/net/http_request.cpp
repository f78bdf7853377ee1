#include "net/http_request.h"

#include <algorithm>
#include <new>
#include <optional>

#include "core/page_warmer.h"
#include "net/net_code.h"
#include "net/net_ip.h"
#include "net/net_text.h"

namespace xunda {

namespace {

// A body is received in pieces of this size, so that the mapping of its pages follows it.
constexpr std::int64_t kBodyPiece = 1 << 20;

// A header value without its optional white space (blanks and tabs) around it.
std::string TrimOws(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// The trimmed text after the first blank of a header line.
std::string ValueAfterBlank(const std::string& line) {
    return TrimSpaces(TextAfter(line, " "));
}

bool HasBlank(const std::string& line) {
    return line.find(' ') != std::string::npos;
}

}  // namespace

HttpRequest::HttpRequest() : sock_(std::make_unique<TcpSocket>()) {
    TargetPort = "80";
    Timeout = 90000;
    sock_->Lines.ConvertLineEnd = true;
    sock_->Lines.MaxLineLength = LineLimit;
    sock_->LineReadAhead = 1024;  // a reply's head, or a chunk's size line, with little of the body
    sock_->SetReceiveBufferSize(65536);
    sock_->SetSendBufferSize(65536);
    Clear();
}

HttpRequest::~HttpRequest() = default;

void HttpRequest::Clear() {
    RangeStart = RangeEnd = 0;
    document_.Clear();
    headers_.clear();
    MimeType = "text/html";
}

// What one request carries from step to step.
struct HttpRequest::Exchange {
    std::string method;  // upper-cased
    bool https = false;
    bool sending = false;    // a body goes out
    bool expect = false;     // the body waits for an interim reply
    std::string heldStatus;  // a final status that came instead of the interim reply
    bool toClose = false;
    std::int64_t size = -1;    // the last Content-Length; -1 when none or unreadable
    std::int64_t length = -1;  // the last readable Content-Length
    bool conflictingLengths = false;
    bool lengthTooLarge = false;
};

// Maps the pages of the body's storage on another thread a little ahead of the bytes as they
// come, from one piece of a body to the next (the chunks of a chunked body) while the storage stays
// where it is: a large reserved room gets a warmer, and storage about to grow (and maybe move)
// first lets its warmer go.
class HttpRequest::BodyWarmer {
  public:
    explicit BodyWarmer(MemoryStream& body) : body_(body) {}

    void Reserve(std::size_t size) {
        if (size > body_.Bytes().size() + body_.Spare().size()) {
            warmer_.reset();
            body_.Reserve(size);
        }
        if (!warmer_ && body_.Spare().size() >= static_cast<std::size_t>(WarmBodySize)) {
            from_ = body_.Bytes().size();
            warmer_.emplace(body_.Spare());
        }
    }
    void Written() {
        if (warmer_) warmer_->Written(body_.Bytes().size() - from_);
    }

  private:
    MemoryStream& body_;
    std::optional<PageWarmer> warmer_;
    std::size_t from_ = 0;  // where the warmer's memory starts
};

bool HttpRequest::ExecuteMethod(const std::string& method, const std::string& url) {
    resultCode_ = 500;
    resultString_.clear();
    downloadSize_ = uploadSize_ = 0;
    requestWritten_ = false;
    headBytes_ = 0;
    sock_->Deadline = Deadline > 0 ? MonotonicMs() + static_cast<std::uint64_t>(Deadline) : 0;
    Exchange x;
    bool ok = false;
    try {
        ok = BuildHead(method, url, x) && (ConnectOrReuse(x.https) || Fail(0)) &&
             (SendRequest(x) || Fail(0)) && ReadStatusAndHead(x) && ReadBody(x);
    } catch (const std::bad_alloc&) {
        // No memory for what the reply needs (a length announced within a MaxBodySize the caller
        // raised): a failed read like any other.
        document_.SetPosition(0);
        ok = Fail(WSAENOBUFS);
    }
    sock_->Deadline = 0;
    return ok;
}

bool HttpRequest::BuildHead(const std::string& method, const std::string& url, Exchange& x) {
    UrlParts parts;
    const std::string path = SplitUrl(url, parts);
    x.method = ToUpperAscii(method);
    x.https = ToUpperAscii(parts.Protocol) == "HTTPS";
    const bool useProxy = ChooseRoute(x.https);
    x.sending = document_.Size() > 0;
    x.expect = Status100 && x.sending && Protocol == "1.1";
    const std::vector<std::string> head = HeadLines(x, parts, path, useProxy);
    headers_.insert(headers_.begin(), head.begin(), head.end());
    if (headers_.back() != "") headers_.push_back("");
    // A line break or NUL in any part of the head would let a value write lines of its own.
    if (std::any_of(headers_.begin(), headers_.end(),
                    [](const std::string& l) { return HasLineBreakOrNul(l); })) {
        sock_->SetLastError(WSAEINVAL);
        return false;
    }
    TargetHost = useProxy ? ProxyHost : parts.Host;
    TargetPort = useProxy ? ProxyPort : parts.Port;
    return true;
}

bool HttpRequest::ChooseRoute(bool https) {
    const bool tunnel = https && !ProxyHost.empty();
    sock_->HTTPTunnelIP = tunnel ? ProxyHost : "";
    sock_->HTTPTunnelPort = tunnel ? ProxyPort : "";
    sock_->HTTPTunnelUser = tunnel ? ProxyUser : "";
    sock_->HTTPTunnelPass = tunnel ? ProxyPass : "";
    return !ProxyHost.empty() && !tunnel;
}

std::vector<std::string> HttpRequest::HeadLines(const Exchange& x, const UrlParts& url, std::string path,
                                                bool useProxy) const {
    const std::string hostText = IsIPv6Text(url.Host) ? "[" + url.Host + "]" : url.Host;
    if (useProxy) path = url.Protocol + "://" + hostText + ":" + url.Port + path;
    if (path == "/*") path = "*";
    std::vector<std::string> head;
    head.push_back(x.method + " " + path + (Protocol == "0.9" ? "" : " HTTP/" + Protocol));
    head.push_back("Host: " + hostText + (url.Port != "80" ? ":" + url.Port : ""));
    AddCredentialLines(url, useProxy, head);
    if (!KeepAlive) head.push_back("Connection: close");
    if (!cookies_.empty()) head.push_back(CookieLine());
    if (RangeStart > 0)
        head.push_back("Range: bytes=" + std::to_string(RangeStart) + "-" +
                       (RangeEnd >= RangeStart ? std::to_string(RangeEnd) : ""));
    if (!UserAgent.empty()) head.push_back("User-Agent: " + UserAgent);
    AddBodyLines(x, head);
    return head;
}

void HttpRequest::AddCredentialLines(const UrlParts& url, bool useProxy,
                                     std::vector<std::string>& head) const {
    if (useProxy && !ProxyUser.empty())
        head.push_back("Proxy-Authorization: Basic " + Base64EncodeText(ProxyUser + ":" + ProxyPass));
    const bool own = !url.User.empty();  // the URL's credentials, else the object's
    const std::string& user = own ? url.User : UserName;
    if (!user.empty())
        head.push_back("Authorization: Basic " +
                       Base64EncodeText(user + ":" + (own ? url.Password : Password)));
}

std::string HttpRequest::CookieLine() const {
    std::string line = "Cookie: ";
    for (std::size_t i = 0; i < cookies_.size(); ++i) line += (i ? "; " : "") + cookies_[i];
    return line;
}

void HttpRequest::AddBodyLines(const Exchange& x, std::vector<std::string>& head) const {
    if (x.sending) {
        if (!MimeType.empty()) head.push_back("Content-Type: " + MimeType);
        head.push_back("Content-Length: " + std::to_string(document_.Bytes().size()));
    }
    if (x.expect) head.push_back("Expect: 100-continue");
}

bool HttpRequest::SendRequest(Exchange& x) {
    TcpSocket& sock = *sock_;
    document_.SetPosition(0);
    const std::string requestHead = BuildRequestHead();
    const std::string_view body = document_.Bytes();
    const std::int64_t sentBefore = sock.BytesSent();
    if (x.expect) {
        sock.SendString(requestHead);
        std::string line;
        if (sock.LastError() == 0 && ReadNonEmptyLine(line)) {
            DecodeStatusLine(line);
            if (resultCode_ < 100 || resultCode_ > 199) {
                x.heldStatus = line;  // refused: the body stays unsent and the connection closes
                x.toClose = true;
            } else if (SkipHeaderLines()) {
                uploadSize_ = static_cast<std::int64_t>(body.size());
                sock.SendBuffer(body.data(), static_cast<int>(body.size()));
            }
        }
    } else if (body.size() >= 65536) {
        sock.SendString(requestHead);
        uploadSize_ = static_cast<std::int64_t>(body.size());
        if (sock.LastError() == 0) sock.SendBuffer(body.data(), static_cast<int>(body.size()));
    } else {
        std::string all = requestHead;
        all.append(body);
        if (x.sending) uploadSize_ = static_cast<std::int64_t>(all.size());
        sock.SendString(all);
    }
    requestWritten_ = sock.BytesSent() > sentBefore;
    return sock.LastError() == 0;
}

bool HttpRequest::ReadStatusAndHead(Exchange& x) {
    Clear();
    transferEncoding_ = TransferEncodingKind::TE_Unknown;
    // The status line; interim 1xx replies (other than 101) are skipped with their header lines.
    auto noReply = [this] {
        // No final status: a time-out or the peer closed first (an interim status is no reply).
        resultCode_ = 500;
        resultString_.clear();
        return Fail(0);
    };
    std::string status = x.heldStatus;
    for (;;) {
        if (status.empty() && !ReadNonEmptyLine(status)) return noReply();
        if (!StartsWithNoCase(status, "HTTP/")) {
            WriteBytesToStream(document_, status + "\r\n");  // an HTTP/0.9 reply is all body
            resultCode_ = 0;
            resultString_.clear();
            return true;
        }
        DecodeStatusLine(status);
        if (resultCode_ < 100 || resultCode_ > 199 || resultCode_ == 101) break;
        if (!SkipHeaderLines()) return noReply();
        status.clear();
    }
    headers_.push_back(status);
    x.toClose = x.toClose || Protocol != "1.1";
    std::string line;
    do {
        if (!ReadHeadLine(line)) return Fail(0);
        headers_.push_back(line);
        DecodeHeaderLine(line, x);
    } while (!line.empty());
    if (transferEncoding_ == TransferEncodingKind::TE_Chunked) return true;  // chunks win over any length
    if (x.conflictingLengths) return Fail(WSAEINVAL);                        // no telling where the body ends
    if (x.lengthTooLarge && transferEncoding_ == TransferEncodingKind::TE_Identity) return Fail(WSAENOBUFS);
    return true;
}

void HttpRequest::DecodeHeaderLine(const std::string& line, Exchange& x) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) return;
    const std::string name = ToUpperAscii(TrimOws(std::string_view(line).substr(0, colon)));
    const std::string value = TrimOws(std::string_view(line).substr(colon + 1));
    if (name == "CONTENT-LENGTH") {
        // The last line decides; an unreadable one leaves the end to the close.
        std::int64_t size = -1;
        if (!ParseDecimal(value, size) || size < 0) size = -1;
        if (size != -1 && x.length != -1 && size != x.length) x.conflictingLengths = true;
        if (size != -1) x.length = size;
        x.size = size;
        x.lengthTooLarge = size > MaxBodySize;
        if (transferEncoding_ != TransferEncodingKind::TE_Chunked)
            transferEncoding_ =
                size != -1 ? TransferEncodingKind::TE_Identity : TransferEncodingKind::TE_Unknown;
    } else if (name == "CONTENT-TYPE") {
        MimeType = value;
    } else if (name == "TRANSFER-ENCODING" && ToUpperAscii(value).find("CHUNKED") != std::string::npos) {
        transferEncoding_ = TransferEncodingKind::TE_Chunked;
    } else if (name == "CONNECTION") {
        for (std::string tokens = value; !tokens.empty();)
            if (ToUpperAscii(FetchPiece(tokens, ",")) == "CLOSE") x.toClose = true;
    }
}

bool HttpRequest::ReadBody(Exchange& x) {
    const bool complete = !HasBody(x) || ReadFramedBody(x);
    document_.SetPosition(0);
    ParseCookies();
    if (!complete) return Fail(0);
    if (x.toClose) ForgetConnection();
    return true;
}

bool HttpRequest::HasBody(const Exchange& x) const {
    return x.method != "HEAD" && resultCode_ != 204 && resultCode_ != 304;
}

bool HttpRequest::ReadFramedBody(Exchange& x) {
    switch (transferEncoding_) {
        case TransferEncodingKind::TE_Identity: {
            BodyWarmer warmer(document_);
            return ReadBodyOfLength(x.size, warmer);
        }
        case TransferEncodingKind::TE_Chunked:
            return ReadChunkedBody(x);
        case TransferEncodingKind::TE_Unknown:
            break;
    }
    x.toClose = true;
    return ReadBodyUntilClose();
}

std::string HttpRequest::BuildRequestHead() const {
    if (Protocol == "0.9") return headers_.empty() ? "\r\n" : headers_.front() + "\r\n";
    std::string head;
    for (const std::string& line : headers_) head += line + "\r\n";
    return head;
}

void HttpRequest::ForgetConnection() {
    sock_->CloseSocket();
    aliveHost_.clear();
    alivePort_.clear();
}

bool HttpRequest::Fail(int error) {
    if (error == 0) error = sock_->LastError();
    ForgetConnection();
    sock_->SetLastError(error);  // the cause stays readable after the close
    return false;
}

bool HttpRequest::OpenConnection(bool needSsl) {
    sock_->CloseSocket();
    sock_->ConnectTimeout = Timeout;
    sock_->Bind(IPInterface, "0");
    if (sock_->LastError() != 0) return false;
    sock_->Connect(TargetHost, TargetPort);
    if (sock_->LastError() != 0) return false;
    if (needSsl) {
        sock_->StartSsl();
        if (sock_->LastError() != 0) return false;
    }
    aliveHost_ = TargetHost;
    alivePort_ = TargetPort;
    return true;
}

bool HttpRequest::ConnectOrReuse(bool needSsl) {
    // Data waiting on an idle connection means the peer closed it (or sent something unasked).
    if (sock_->Socket() != INVALID_SOCKET && aliveHost_ == TargetHost && alivePort_ == TargetPort &&
        sock_->Lines.Buffered().empty() && !sock_->WaitReadable(0) && sock_->LastError() == 0)
        return true;
    return OpenConnection(needSsl);
}

// One line of the reply head, counted against the head limit.
bool HttpRequest::ReadHeadLine(std::string& line) {
    line = sock_->ReceiveLine(Timeout);
    if (sock_->LastError() != 0) return false;
    headBytes_ += line.size() + 2;
    if (headBytes_ > HeadLimit) {
        sock_->SetLastError(WSAENOBUFS);
        return false;
    }
    return true;
}

// The first non-empty line.
bool HttpRequest::ReadNonEmptyLine(std::string& line) {
    do
        if (!ReadHeadLine(line)) return false;
    while (line.empty());
    return true;
}

// Header lines up to and including the empty one, discarded.
bool HttpRequest::SkipHeaderLines() {
    std::string line;
    do
        if (!ReadHeadLine(line)) return false;
    while (!line.empty());
    return true;
}

void HttpRequest::DecodeStatusLine(const std::string& line) {
    std::string s = ValueAfterBlank(line);
    std::int64_t code = 0;
    resultCode_ = ParseDecimal(TrimSpaces(TextBefore(s, " ")), code) && code >= 0 && code < 1000
                      ? static_cast<int>(code)
                      : 0;
    resultString_ = HasBlank(s) ? ValueAfterBlank(s) : std::string();
}

bool HttpRequest::BodyFits(std::int64_t more) {
    if (more <= MaxBodySize - document_.Size()) return true;
    sock_->SetLastError(WSAENOBUFS);
    return false;
}

bool HttpRequest::ReadBodyUntilClose() {
    for (;;) {
        std::string piece = sock_->ReceiveAvailable(Timeout);
        if (sock_->LastError() != 0) break;
        if (!BodyFits(static_cast<std::int64_t>(piece.size()))) return false;
        WriteBytesToStream(document_, piece);
    }
    // Only an orderly end of the stream ends such a body; a reset or a time-out does not.
    return sock_->LastError() == WSAECONNRESET && sock_->EndOfStream();
}

bool HttpRequest::ReadBodyOfLength(std::int64_t size, BodyWarmer& warmer) {
    if (size < 1) return true;
    if (!BodyFits(size)) return false;
    downloadSize_ = size;
    // Storage for the whole announced length at once (it is within MaxBodySize): untouched room
    // costs no memory, and the bytes are read straight into it.
    warmer.Reserve(static_cast<std::size_t>(document_.Size() + size));
    for (std::int64_t done = 0; done < size && sock_->LastError() == 0;) {
        const std::int64_t piece = std::min<std::int64_t>(size - done, kBodyPiece);
        sock_->ReceiveStreamSized(document_, Timeout, piece);
        done += piece;
        warmer.Written();
    }
    document_.Seek(0, SeekOrigin::End);
    return sock_->LastError() == 0;
}

bool HttpRequest::ReadChunkedBody(Exchange& x) {
    std::string line;
    BodyWarmer warmer(document_);
    for (;;) {
        if (!ReadNonEmptyLine(line)) return false;  // the chunk-size line, after any blank ones
        std::string sizeText = TrimSpaces(TextBefore(TrimSpaces(TextBefore(line, ";")), " "));
        std::int64_t size = 0;
        if (!ParseHex(sizeText, size) || size < 0) return Invalid();
        if (size == 0) break;
        if (!ReadBodyOfLength(size, warmer)) return false;
        if (!ReadHeadLine(line)) return false;  // the line end that closes the chunk's data
        if (!line.empty()) return Invalid();
        headBytes_ = 0;  // chunk lines count against the limit from chunk to chunk
    }
    // Trailer lines up to the empty line, so that a kept connection starts clean. The body is
    // whole with the last chunk: a peer that closes instead of ending the trailer loses nothing.
    headBytes_ = 0;
    if (SkipHeaderLines()) return true;
    if (sock_->LastError() != WSAECONNRESET || !sock_->EndOfStream()) return false;
    x.toClose = true;
    return true;
}

bool HttpRequest::Invalid() {
    sock_->SetLastError(WSAEINVAL);
    return false;
}

void HttpRequest::ParseCookies() {
    for (const std::string& line : headers_) {
        if (!StartsWithNoCase(line, "set-cookie:")) continue;
        std::string cookie = TrimSpaces(TextBefore(TextAfter(line, ":"), ";"));
        if (HasLineBreakOrNul(cookie)) continue;  // it could never be sent back
        std::string name = TrimSpaces(TextBefore(cookie, "="));
        std::string value = TrimSpaces(TextAfter(cookie, "="));
        auto it = std::find_if(cookies_.begin(), cookies_.end(), [&](const std::string& entry) {
            return EqualsNoCase(TextBefore(entry, "="), name);
        });
        if (value.empty()) {
            if (it != cookies_.end()) cookies_.erase(it);
        } else if (it != cookies_.end()) {
            *it = name + "=" + value;
        } else {
            cookies_.push_back(name + "=" + value);
        }
    }
}

}  // namespace xunda
