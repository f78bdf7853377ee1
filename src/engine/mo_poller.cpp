#include "engine/mo_poller.h"

#include "core/codepage.h"
#include "core/text_util.h"
#include "engine/processing_state.h"
#include "engine/reply_fields.h"
#include "gateway/sms_gateway.h"
#include "store/database.h"
#include "store/sql_text.h"

namespace xunda {

namespace {

constexpr int kGbkFormat = 0;
constexpr std::size_t kNumberLength = 20;
constexpr std::size_t kTextBytes = 255;

// Two digits at `at` as a number.
int TwoDigits(std::string_view text, std::size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

// True for 14 digits that make a plausible date and time.
bool IsMoTime(std::string_view text) {
    if (text.size() != 14 || !IsAllDigits(text)) return false;
    const int month = TwoDigits(text, 4), day = TwoDigits(text, 6);
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && TwoDigits(text, 8) < 24 &&
           TwoDigits(text, 10) < 60 && TwoDigits(text, 12) < 60;
}

}  // namespace

std::string FormatMoTime(std::string_view text, int shortYear) {
    auto piece = [text](std::size_t at, std::size_t n) {
        return at < text.size() ? std::string(text.substr(at, n)) : std::string();
    };
    const std::size_t year = shortYear == 0 ? 4 : 2;
    return piece(0, year) + "-" + piece(year, 2) + "-" + piece(year + 2, 2) + " " + piece(year + 4, 2) + ":" +
           piece(year + 6, 2) + ":" + piece(year + 8, 2);
}

MoLine ParseMoLine(std::string_view line) {
    MoLine mo;
    FieldSplit f = TakeField(line);  // the first field is not used
    f = TakeField(f.rest);
    mo.moID = f.field;
    f = TakeField(f.rest);
    mo.moTime = f.field;
    f = TakeField(f.rest);
    mo.mob = CutToGbkBytes(f.field, kNumberLength);
    f = TakeField(f.rest);
    mo.destID = CutToGbkBytes(f.field, kNumberLength);
    // Cut on a character boundary, so a double-byte character is never split.
    mo.msg = TrimControls(CutToGbkBytes(f.rest, kTextBytes));
    return mo;
}

int MoPoller::Fetch(std::string& code, std::vector<std::string>& lines, const Credentials& account) {
    return s_.gateway.GetMo(code, lines, kGbkFormat, account, kDirectConnection);
}

std::string MoPoller::ReceivedText(std::size_t n) const {
    return "接收短信:收到(" + std::to_string(n) + ")条短信";
}

void MoPoller::Count(std::size_t n) {
    s_.control.AddMo(static_cast<std::int64_t>(n));
}

bool MoPoller::Store(Database& db, const std::string& line, const std::string& corpID) {
    const MoLine mo = ParseMoLine(line);
    if (mo.msg.empty()) return true;
    const std::optional<std::int64_t> moID = ParseInt(mo.moID);
    // A time the service garbled gives the time of reception rather than losing the message.
    const std::string moTime = IsMoTime(mo.moTime) ? FormatMoTime(mo.moTime, 0) : s_.clock.Now();
    const std::string sql = "INSERT INTO mo (corpID, moID, moTime, Mob, destID, Msg) VALUES (" +
                            SqlInt(corpID) + "," + (moID ? SqlInt(*moID) : std::string("NULL")) + "," +
                            SqlQuote(moTime) + "," + SqlQuote(mo.mob) + "," + SqlQuote(mo.destID) + "," +
                            SqlQuote(mo.msg) + ")";
    return db.pAdoCom(sql);
}

}  // namespace xunda
