// The four requests of the SMS service, behind an interface so that the engine and the login can
// be tested with fakes. Every call blocks the calling thread and shares nothing with other calls.
//
// Gateway result (`GatewayResultCode`) of every request: 0 success; -2 msgFormat outside 0..3
// (nothing sent); -3 a 200 reply without any line; a positive value is the HTTP status of a
// reply other than 200, 500 when no usable reply came (no connection, time-out, no status line,
// a body over the size limit).
//
// Every request takes `ProxyType` (gateway/http_fetch.h): 0 direct, 1 the system's HTTP proxy, 2 the
// system's SOCKS proxy. The program's callers pass kDirectConnection.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gateway/request_url.h"

namespace xunda {

inline constexpr int kDirectConnection = 0;

// One field of one row of a data-query reply: the attribute's name and its decoded value.
struct ResultValue {
    std::string Name;
    std::string Value;
};
// All fields of all rows, row after row: field i of row r is entry r * ColCount + i.
using FieldList = std::vector<ResultValue>;

class SmsGateway {
  public:
    SmsGateway() = default;
    SmsGateway(const SmsGateway&) = delete;
    SmsGateway& operator=(const SmsGateway&) = delete;
    virtual ~SmsGateway() = default;

    // Sends `mt.msg` to the numbers of `mt.Mobs`. On 0, resultValue := line 1 of the reply trimmed
    // (the service's code) and replyLines := lines 2..n; on any other result resultValue keeps its
    // value. replyLines is emptied whenever msgFormat is valid. replyLost := the request went out
    // but no complete reply came back (cut short, reset, too late): the service may have accepted
    // it. False on a reply and when the request surely never reached the service.
    virtual int PutMt(std::string& resultValue, std::vector<std::string>& replyLines, int msgFormat,
                      const Credentials& account, const MtRequest& mt, int proxyType, bool& replyLost) = 0;
    // Incoming messages, as PutMt.
    virtual int GetMo(std::string& resultValue, std::vector<std::string>& replyLines, int msgFormat,
                      const Credentials& account, int proxyType) = 0;
    // Delivery reports, as PutMt.
    virtual int GetReport(std::string& resultValue, std::vector<std::string>& replyLines, int msgFormat,
                          const Credentials& account, int proxyType) = 0;
    // The data query `url` (DataQueryBase + quoted SQL literals). fields, colCount and rowCount are
    // reset first. Results: 0, -2 (the reply has no root element), or the HTTP status as above. A
    // reply that is not XML throws the XML model's exception.
    virtual int GetData(const std::string& url, FieldList& fields, int& colCount, int& rowCount,
                        int proxyType) = 0;

    // How many requests of this object the service has answered completely (status line, head and
    // the whole body read, whatever the status): a login, a poll, a send. Any thread.
    std::uint64_t Answers() const { return answers_.load(); }
    // How many of them were sends (PutMt).
    std::uint64_t SendAnswers() const { return sendAnswers_.load(); }

  protected:
    void CountAnswer(bool send) {
        if (send) sendAnswers_.fetch_add(1);
        answers_.fetch_add(1);
    }

  private:
    std::atomic<std::uint64_t> answers_{0};
    std::atomic<std::uint64_t> sendAnswers_{0};
};

// Looks `fieldName` up (case-insensitively) in row `row`; value is emptied first. Returns 0 when
// found, -1 when the row has no such field, -2 when there is no such row.
int GetFieldValue(std::string_view fieldName, int row, std::string& value, int colCount,
                  const FieldList& fields);

}  // namespace xunda
