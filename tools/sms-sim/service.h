// What the SMS service does with each request: accounts, sending, the incoming-message and report
// queues, the data query and the web pages. Thread-safe.
#pragma once

#include <deque>
#include <map>
#include <mutex>

#include "sms-sim/sms_sim.h"

namespace xunda::sim {

class SmsService {
  public:
    SmsService(std::vector<Account> accounts, bool autoReports, std::uint64_t firstMessageId);

    Reply Handle(const RequestHead& request);

    void RefuseNumber(const std::string& mob, const std::string& code);
    void SetNextMessageId(std::uint64_t id);
    void QueueIncoming(IncomingMessage message);
    void QueueReport(DeliveryReport report);
    void SetDataReply(XmlEncoding encoding, bool upperCaseHex);

    std::vector<SentMessage> Sent() const;
    int SendCount(const std::string& mob) const;
    std::size_t PendingIncoming() const;
    std::size_t PendingReports() const;

  private:
    // Each returns the reply; called with mu_ held.
    Reply PutMt(const KeyValues& query);
    Reply GetMo(const KeyValues& query);
    Reply GetReport(const KeyValues& query);
    Reply Data(const KeyValues& query);
    Reply Page(const KeyValues& query);
    // The service code for the account keys of a request, or "" when they name an account.
    std::string CheckAccount(const KeyValues& query, const Account** account) const;

    mutable std::mutex mu_;
    const std::vector<Account> accounts_;
    const bool autoReports_;
    std::uint64_t nextId_;
    std::map<std::string, std::string> refused_;
    std::deque<std::pair<std::uint64_t, IncomingMessage>> incoming_;  // with its moID
    std::deque<DeliveryReport> reports_;
    std::vector<SentMessage> sent_;
    XmlEncoding xmlEncoding_ = XmlEncoding::Utf8;
    bool upperHex_ = false;
};

}  // namespace xunda::sim
