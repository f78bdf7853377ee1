#include "sms-sim/service.h"

#include <algorithm>

#include "core/codepage.h"
#include "core/local_time.h"
#include "core/text_util.h"

namespace xunda::sim {
namespace {

constexpr size_t kMaxNumbers = 100;
constexpr size_t kMaxChars = 500;

std::string Hex(std::string_view bytes, bool upper) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string Ucs2Hex(std::string_view utf8) {
    std::string out;
    for (char16_t unit : Utf8ToUtf16(utf8)) {
        std::string be{static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
        out += Hex(be, true);
    }
    return out;
}

// UCS-2 hex (four digits per UTF-16 unit) -> UTF-8; nullopt when malformed.
std::optional<std::string> FromUcs2Hex(std::string_view hex) {
    if (hex.size() % 4 != 0) return std::nullopt;
    std::u16string units;
    for (size_t i = 0; i < hex.size(); i += 4) {
        char16_t unit = 0;
        for (size_t k = 0; k < 4; ++k) {
            int v = HexValue(hex[i + k]);
            if (v < 0) return std::nullopt;
            unit = static_cast<char16_t>(unit * 16 + v);
        }
        units.push_back(unit);
    }
    return Utf16ToUtf8(units);
}

// The message text of a putMt request as UTF-8, by its format; nullopt when it cannot be read.
std::optional<std::string> DecodeMessage(int format, const std::string& value) {
    switch (format) {
        case 0:
            return GbkToUtf8(value);
        case 1:
            return GbkToUtf8(PercentDecode(value, false));
        case 2:
            return IsValidUtf8(value) ? std::optional(value) : std::nullopt;
        default:
            return FromUcs2Hex(value);
    }
}

// The text of an incoming message as the getMo format asks for it.
std::string EncodeMessage(int format, const std::string& utf8) {
    switch (format) {
        case 2:
            return utf8;
        case 3:
            return Ucs2Hex(utf8);
        default:
            return Utf8ToGbk(utf8);
    }
}

size_t CodePoints(std::string_view utf8) {
    return static_cast<size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::vector<std::string> Split(std::string_view text, char sep) {
    std::vector<std::string> parts;
    for (;;) {
        size_t at = text.find(sep);
        parts.emplace_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

int Format(const KeyValues& query) {
    std::optional<std::string> f = Find(query, "msgFormat");
    return f && f->size() == 1 && (*f)[0] >= '0' && (*f)[0] <= '3' ? (*f)[0] - '0' : -1;
}

Reply Lines(const std::string& code, const std::vector<std::string>& lines = {}) {
    Reply r;
    r.body = code + "\r\n";
    for (const std::string& line : lines) r.body += line + "\r\n";
    return r;
}

Reply NotFound() {
    Reply r;
    r.status = 404;
    r.body = "Not Found";
    return r;
}

// The quoted SQL literals of "getData 'a','b'" (inner '' doubled); nullopt when malformed.
std::optional<std::vector<std::string>> SqlLiterals(std::string_view text) {
    std::vector<std::string> values;
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && text[i] == ' ') ++i;
    };
    for (;;) {
        skipBlanks();
        if (i >= text.size() || text[i] != '\'') return std::nullopt;
        std::string value;
        for (++i;; ++i) {
            if (i >= text.size()) return std::nullopt;
            if (text[i] != '\'') {
                value += text[i];
            } else if (i + 1 < text.size() && text[i + 1] == '\'') {
                value += '\'';
                ++i;
            } else {
                break;
            }
        }
        ++i;
        values.push_back(std::move(value));
        skipBlanks();
        if (i == text.size()) return values;
        if (text[i] != ',') return std::nullopt;
        ++i;
    }
}

std::string EncodeXml(const std::string& xml, XmlEncoding encoding) {
    auto utf16 = [&](bool bigEndian) {
        std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t u : Utf8ToUtf16(xml)) {
            char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
            out += bigEndian ? hi : lo;
            out += bigEndian ? lo : hi;
        }
        return out;
    };
    switch (encoding) {
        case XmlEncoding::Utf8:
            return xml;
        case XmlEncoding::Utf8Bom:
            return "\xEF\xBB\xBF" + xml;
        case XmlEncoding::Utf16LE:
            return utf16(false);
        case XmlEncoding::Utf16BE:
            return utf16(true);
    }
    return xml;
}

struct PageInfo {
    const char* name;
    const char* title;
};
constexpr PageInfo kPages[] = {
    {"welcome", "欢迎使用泊舟讯达短信通"},
    {"mobOrder", "手机订阅管理"},
    {"sms", "手机短信操作"},
    {"login", "泊舟讯达短信通WEB版"},
    {"help", "在线帮助"},
    {"service", "泊舟讯达服务状态"},
    {"buy", "购买短信"},
    {"advice", "意见与投诉"},
    {"home", "泊舟讯达网站"},
    {"update", "关于软件版本"},
};

Reply Html(const std::string& title, const std::string& text) {
    Reply r;
    r.contentType = "text/html; charset=utf-8";
    r.body = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title +
             "</title></head>\n<body><h1>" + title + "</h1><p>" + text + "</p></body></html>\n";
    return r;
}

}  // namespace

std::optional<Account> ParseAccount(std::string_view spec) {
    std::vector<std::string> parts = Split(spec, ':');
    if (parts.size() != 5 || parts[0].empty() || parts[2].empty()) return std::nullopt;
    return Account{parts[0], parts[1], parts[2], parts[3], parts[4]};
}

SmsService::SmsService(std::vector<Account> accounts, bool autoReports, std::uint64_t firstMessageId)
    : accounts_(std::move(accounts)), autoReports_(autoReports), nextId_(firstMessageId) {}

Reply SmsService::Handle(const RequestHead& request) {
    std::lock_guard lock(mu_);
    const std::string& path = request.path;
    if (request.method != "GET") return NotFound();
    if (path == "/sms/putMt/") return PutMt(request.query);
    if (path == "/sms/getMo/") return GetMo(request.query);
    if (path == "/sms/getReport/") return GetReport(request.query);
    if (path == "/data/") return Data(request.query);
    if (path == "/corp/client/") return Page(request.query);
    if (path == "/index/apply.asp")
        return Html("立即申请免费试用", "泊舟讯达短信通: 填写资料即可申请免费试用帐号。");
    return NotFound();
}

std::string SmsService::CheckAccount(const KeyValues& query, const Account** account) const {
    if (Format(query) < 0) return "401";
    // The text requests carry the account in GBK.
    std::string user = GbkToUtf8(Find(query, "loginName").value_or(""));
    auto it =
        std::find_if(accounts_.begin(), accounts_.end(), [&](const Account& a) { return a.user == user; });
    if (user.empty() || it == accounts_.end()) return "201";
    if (Find(query, "corpID").value_or("") != it->corpID) return "202";
    if (GbkToUtf8(Find(query, "password").value_or("")) != it->password) return "203";
    *account = &*it;
    return "";
}

Reply SmsService::PutMt(const KeyValues& query) {
    const Account* account = nullptr;
    if (std::string code = CheckAccount(query, &account); !code.empty()) return Lines(code);
    std::string mobs = Find(query, "Mobs").value_or("");
    if (mobs.empty()) return Lines("402");
    std::vector<std::string> numbers = Split(mobs, ',');
    if (numbers.size() > kMaxNumbers) return Lines("403");
    std::string raw = Find(query, "msg").value_or("");
    if (raw.empty()) return Lines("405");
    int format = Format(query);
    std::optional<std::string> text = DecodeMessage(format, raw);
    if (!text) return Lines("407");
    if (CodePoints(*text) > kMaxChars) return Lines("406");
    std::string subNumber = Find(query, "subNumber").value_or("");
    std::string linkID = Find(query, "linkID").value_or("");
    std::string mtLevel = Find(query, "mtLevel").value_or("");
    if (!IsAllDigits(subNumber)) return Lines("408");
    if (!IsAllDigits(linkID)) return Lines("409");
    if (mtLevel != "1" && mtLevel != "2" && mtLevel != "3") return Lines("410");

    std::vector<std::string> lines;
    size_t accepted = 0;
    for (const std::string& mob : numbers) {
        std::string code = refused_.contains(mob)                                      ? refused_[mob]
                           : (IsAllDigits(mob) && mob.size() >= 7 && mob.size() <= 20) ? ""
                                                                                       : "404";
        if (!code.empty()) {
            lines.push_back(code + "," + code);
            continue;
        }
        std::uint64_t id = nextId_++;
        sent_.push_back({account->corpID, mob, *text, format, mtLevel, subNumber, linkID, id});
        if (autoReports_) reports_.push_back({id, "0", account->corpID});
        lines.push_back("0," + std::to_string(id));
        ++accepted;
    }
    if (accepted == 0) return Lines("300");
    return Lines(accepted == numbers.size() ? "100" : "200", lines);
}

Reply SmsService::GetMo(const KeyValues& query) {
    const Account* account = nullptr;
    if (std::string code = CheckAccount(query, &account); !code.empty()) return Lines(code);
    int format = Format(query);
    std::vector<std::string> lines;
    for (auto it = incoming_.begin(); it != incoming_.end();) {
        const auto& [moID, m] = *it;
        if (!m.corpID.empty() && m.corpID != account->corpID) {
            ++it;
            continue;
        }
        lines.push_back(account->corpID + "," + std::to_string(moID) + "," + m.moTime + "," + m.mob + "," +
                        m.destID + "," + EncodeMessage(format, m.text));
        it = incoming_.erase(it);
    }
    return lines.empty() ? Lines("300") : Lines("100", lines);
}

Reply SmsService::GetReport(const KeyValues& query) {
    const Account* account = nullptr;
    if (std::string code = CheckAccount(query, &account); !code.empty()) return Lines(code);
    std::vector<std::string> lines;
    for (auto it = reports_.begin(); it != reports_.end();) {
        if (!it->corpID.empty() && it->corpID != account->corpID) {
            ++it;
            continue;
        }
        lines.push_back(std::to_string(it->mtID) + "," + it->status);
        it = reports_.erase(it);
    }
    return lines.empty() ? Lines("300") : Lines("100", lines);
}

Reply SmsService::Data(const KeyValues& query) {
    std::string sql = Find(query, "sql").value_or("");
    std::string rows;
    constexpr std::string_view kVerb = "getData";
    if (StartsWithNoCase(sql, kVerb)) {
        std::optional<std::vector<std::string>> args =
            SqlLiterals(std::string_view(sql).substr(kVerb.size()));
        if (args && args->size() == 3 && (*args)[0] == "G") {
            for (const Account& a : accounts_) {
                if (a.user != (*args)[1] || a.password != (*args)[2]) continue;
                rows += "  <row c=\"" + Hex(a.corpID, upperHex_) + "\" g=\"" + Hex(a.g, upperHex_) +
                        "\" p=\"" + Hex(a.p, upperHex_) + "\"/>\r\n";
                break;
            }
        }
    }
    bool utf16 = xmlEncoding_ == XmlEncoding::Utf16LE || xmlEncoding_ == XmlEncoding::Utf16BE;
    std::string xml = std::string("<?xml version=\"1.0\" encoding=\"") + (utf16 ? "utf-16" : "utf-8") +
                      "\"?>\r\n<data>\r\n" + rows + "</data>\r\n";
    Reply r;
    r.contentType = utf16 ? "text/xml; charset=utf-16" : "text/xml; charset=utf-8";
    r.body = EncodeXml(xml, xmlEncoding_);
    return r;
}

Reply SmsService::Page(const KeyValues& query) {
    std::string page = Find(query, "a").value_or("");
    auto info =
        std::find_if(std::begin(kPages), std::end(kPages), [&](const PageInfo& p) { return page == p.name; });
    if (Find(query, "v").value_or("") != "msg" || info == std::end(kPages)) return NotFound();
    std::string c = Find(query, "c").value_or(""), g = Find(query, "g").value_or(""),
                p = Find(query, "p").value_or("");
    bool signedIn = std::any_of(accounts_.begin(), accounts_.end(),
                                [&](const Account& a) { return a.corpID == c && a.g == g && a.p == p; });
    return Html(info->title, signedIn ? "企业端口号: " + c : std::string("请先登录泊舟讯达短信通。"));
}

void SmsService::RefuseNumber(const std::string& mob, const std::string& code) {
    std::lock_guard lock(mu_);
    refused_[mob] = code;
}

void SmsService::SetNextMessageId(std::uint64_t id) {
    std::lock_guard lock(mu_);
    nextId_ = id;
}

void SmsService::QueueIncoming(IncomingMessage message) {
    std::lock_guard lock(mu_);
    if (message.moTime.empty()) message.moTime = LocalTime("%Y%m%d%H%M%S");
    incoming_.emplace_back(nextId_++, std::move(message));
}

void SmsService::QueueReport(DeliveryReport report) {
    std::lock_guard lock(mu_);
    reports_.push_back(std::move(report));
}

void SmsService::SetDataReply(XmlEncoding encoding, bool upperCaseHex) {
    std::lock_guard lock(mu_);
    xmlEncoding_ = encoding;
    upperHex_ = upperCaseHex;
}

std::vector<SentMessage> SmsService::Sent() const {
    std::lock_guard lock(mu_);
    return sent_;
}

int SmsService::SendCount(const std::string& mob) const {
    std::lock_guard lock(mu_);
    return static_cast<int>(
        std::count_if(sent_.begin(), sent_.end(), [&](const SentMessage& m) { return m.mob == mob; }));
}

std::size_t SmsService::PendingIncoming() const {
    std::lock_guard lock(mu_);
    return incoming_.size();
}

std::size_t SmsService::PendingReports() const {
    std::lock_guard lock(mu_);
    return reports_.size();
}

}  // namespace xunda::sim
