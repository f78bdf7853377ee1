#include "engine/report_poller.h"

#include "core/text_util.h"
#include "engine/processing_state.h"
#include "engine/reply_fields.h"
#include "gateway/sms_gateway.h"
#include "store/database.h"
#include "store/sql_text.h"

namespace xunda {

namespace {
constexpr int kPercentFormat = 1;
}

int ReportPoller::Fetch(std::string& code, std::vector<std::string>& lines, const Credentials& account) {
    return s_.gateway.GetReport(code, lines, kPercentFormat, account, kDirectConnection);
}

std::string ReportPoller::ReceivedText(std::size_t n) const {
    return "短信收条:收到(" + std::to_string(n) + ")个状态报告";
}

void ReportPoller::Count(std::size_t n) {
    s_.control.AddReport(static_cast<std::int64_t>(n));
}

bool ReportPoller::Store(Database& db, const std::string& line, const std::string& corpID) {
    const FieldSplit report = TakeField(line);
    const std::optional<std::int64_t> mtID = ParseInt(report.field);
    if (!mtID || *mtID < 1 || report.rest.empty()) return true;
    return db.pAdoCom("UPDATE mt_bak SET mstatus=" + SqlQuote(report.rest) + " WHERE mtID=" + SqlInt(*mtID) +
                      " AND corpID=" + corpID);
}

}  // namespace xunda
