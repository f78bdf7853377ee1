// The SMS service's requests over HTTP: each call makes its own HTTP client on the calling
// thread, so one object may serve the send worker, the pollers and the login at the same time.
#pragma once

#include <chrono>

#include "gateway/http_fetch.h"
#include "gateway/sms_gateway.h"

namespace xunda {

struct GatewayOptions {
    std::string host;                          // "host[:port]"; empty: ServiceHost()
    std::chrono::milliseconds timeout{30000};  // the connect and each receive wait of a request
    Fetcher fetch;                             // empty: HttpFetch
};

class ServiceGateway : public SmsGateway {
  public:
    explicit ServiceGateway(GatewayOptions options = {});

    int PutMt(std::string& resultValue, std::vector<std::string>& replyLines, int msgFormat,
              const Credentials& account, const MtRequest& mt, int proxyType, bool& replyLost) override;
    int GetMo(std::string& resultValue, std::vector<std::string>& replyLines, int msgFormat,
              const Credentials& account, int proxyType) override;
    int GetReport(std::string& resultValue, std::vector<std::string>& replyLines, int msgFormat,
                  const Credentials& account, int proxyType) override;
    int GetData(const std::string& url, FieldList& fields, int& colCount, int& rowCount,
                int proxyType) override;

    const std::string& Host() const { return host_; }

  private:
    struct Texts;
    int TextRequest(const Texts& texts, const std::string& url, std::size_t maxBody, int proxyType,
                    std::string& resultValue, std::vector<std::string>& replyLines, bool& replyLost);
    int Poll(const Texts& texts, std::string_view path, std::string& resultValue,
             std::vector<std::string>& replyLines, int msgFormat, const Credentials& account, int proxyType);
    FetchResult Fetch(const std::string& url, std::size_t maxBody, int proxyType, bool send);

    std::string host_;
    std::chrono::milliseconds timeout_;
    Fetcher fetch_;
};

}  // namespace xunda
