#include "net/net_ip.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "net/net_text.h"

namespace xunda {

namespace {

bool IsHexGroup(std::string_view text) {
    std::int64_t v = 0;
    return !text.empty() && text[0] != '-' && text[0] != '+' && ParseHex(text, v) && v <= 0xFFFF;
}

}  // namespace

bool IsByteText(std::string_view value) {
    if (value.empty()) return false;
    for (char c : value)
        if (c < '0' || c > '9') return false;
    std::int64_t v = 0;
    return ParseDecimal(value, v) && v <= 255;
}

bool IsIPv4Text(std::string_view value) {
    std::string rest(value);
    for (int i = 0; i < 3; ++i)
        if (!IsByteText(FetchPiece(rest, "."))) return false;
    return IsByteText(rest);
}

bool IsIPv6Text(std::string_view value) {
    if (value == "::") return true;
    // A leading "::" is one gap, not two groups.
    const bool leadingGap = value.starts_with("::");
    std::string rest(leadingGap ? value.substr(1) : value);
    int groups = 0, empty = leadingGap ? 1 : 0;
    bool first = true;
    while (!rest.empty()) {
        std::string group = FetchPiece(rest, ":");
        if (group.empty() && !first) ++empty;
        first = false;
        if (empty > 1) return false;
        ++groups;
        if (group.empty()) continue;
        if (groups > 8) return false;
        if (rest.empty()) {
            std::string zone = group.find('%') == std::string::npos ? group : TextAfter(group, "%");
            if (!IsHexGroup(zone)) return false;
        }
        if (!IsHexGroup(TextBefore(group, "%"))) return false;
        if (rest.empty()) return groups > 1 || empty > 0;
    }
    return false;
}

std::string IPv4TextToBytes(std::string_view host) {
    std::string rest(host), out;
    for (int i = 0; i < 4; ++i) {
        std::int64_t v = 0;
        if (!ParseDecimal(FetchPiece(rest, "."), v)) v = 0;
        out += static_cast<char>(v & 0xFF);
    }
    return out;
}

namespace {

// The hex groups of a text between colons; false when one is not a group.
bool ParseGroups(std::string rest, std::vector<std::uint16_t>& out) {
    while (!rest.empty()) {
        std::string group = FetchPiece(rest, ":");
        std::int64_t v = 0;
        if (!IsHexGroup(group) || !ParseHex(group, v)) return false;
        out.push_back(static_cast<std::uint16_t>(v));
    }
    return true;
}

}  // namespace

std::string IPv6TextToBytes(std::string_view value) {
    // Groups before the gap "::" fill from the front, those after it from the back.
    std::vector<std::uint16_t> head, tail;
    auto gap = value.find("::");
    bool ok = gap == std::string_view::npos ? ParseGroups(std::string(value), head)
                                            : ParseGroups(std::string(value.substr(0, gap)), head) &&
                                                  value.find("::", gap + 2) == std::string_view::npos &&
                                                  ParseGroups(std::string(value.substr(gap + 2)), tail);
    if (!ok || head.size() + tail.size() > 8) return std::string(16, '\0');
    std::array<std::uint16_t, 8> groups{};
    std::copy(head.begin(), head.end(), groups.begin());
    std::copy(tail.begin(), tail.end(), groups.end() - static_cast<std::ptrdiff_t>(tail.size()));
    std::string out;
    for (auto g : groups) {
        out += static_cast<char>(g >> 8);
        out += static_cast<char>(g & 0xFF);
    }
    return out;
}

std::string IPv6BytesToText(std::string_view address) {
    std::array<unsigned, 8> groups{};
    for (std::size_t i = 0; i < 8 && 2 * i + 1 < address.size(); ++i)
        groups[i] = static_cast<unsigned char>(address[2 * i]) * 256u +
                    static_cast<unsigned char>(address[2 * i + 1]);
    int bestStart = -1, bestLength = 0;
    for (int i = 0; i < 8;) {
        if (groups[static_cast<std::size_t>(i)] != 0) {
            ++i;
            continue;
        }
        int j = i;
        while (j < 8 && groups[static_cast<std::size_t>(j)] == 0) ++j;
        if (j - i > bestLength) {
            bestStart = i;
            bestLength = j - i;
        }
        i = j;
    }
    if (bestLength == 8) return "::0";
    auto join = [&](int from, int to) {
        std::string s;
        char buf[8];
        for (int i = from; i < to; ++i) {
            std::snprintf(buf, sizeof buf, "%x", groups[static_cast<std::size_t>(i)]);
            if (i > from) s += ':';
            s += buf;
        }
        return s;
    };
    if (bestStart < 0) return join(0, 8);
    return join(0, bestStart) + "::" + join(bestStart + bestLength, 8);
}

}  // namespace xunda
