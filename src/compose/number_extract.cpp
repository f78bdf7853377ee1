#include "compose/number_extract.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "core/text_util.h"

namespace xunda {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Every prefix is 3 or 4 digits and the tables together are prefix-free, so at any position of a
// text at most one entry of all tables matches. The matcher looks the digits up directly.
class PrefixMatcher {
  public:
    PrefixMatcher() {
        by3_.fill(nullptr);
        by4_.fill(nullptr);
        for (const PrefixEntry& e : AllPrefixEntries()) {
            std::string_view prefix = PrefixOf(e.entry);
            if (prefix.size() == 3 && !by3_[Code(prefix)]) {
                by3_[Code(prefix)] = &e;
            } else if (prefix.size() == 4 && !by4_[Code(prefix)]) {
                by4_[Code(prefix)] = &e;
            } else {
                throw std::logic_error("prefix tables: unexpected entry");
            }
        }
    }

    // The entry of a table in `tables` (a set of PrefixTable bits) that starts at the earliest
    // offset >= `from`; nullptr when none.
    const PrefixEntry* FindEarliest(std::string_view text, std::size_t from, unsigned tables,
                                    std::size_t& offset) const {
        auto digit = [&text](std::size_t i) { return static_cast<unsigned>(text[i] - '0'); };
        for (std::size_t i = from; i + 3 <= text.size(); ++i) {
            if (!IsDigit(text[i]) || !IsDigit(text[i + 1]) || !IsDigit(text[i + 2])) continue;
            unsigned code = digit(i) * 100 + digit(i + 1) * 10 + digit(i + 2);
            const PrefixEntry* e = by3_[code];
            if (!e && i + 4 <= text.size() && IsDigit(text[i + 3])) e = by4_[code * 10 + digit(i + 3)];
            if (e && (static_cast<unsigned>(e->table) & tables)) {
                offset = i;
                return e;
            }
        }
        return nullptr;
    }

  private:
    static unsigned Code(std::string_view digits) {
        unsigned v = 0;
        for (char c : digits) v = v * 10 + static_cast<unsigned>(c - '0');
        return v;
    }

    std::array<const PrefixEntry*, 1000> by3_;
    std::array<const PrefixEntry*, 10000> by4_;
};

const PrefixMatcher& Matcher() {
    static const PrefixMatcher matcher;
    return matcher;
}

unsigned Bit(PrefixTable table) {
    return static_cast<unsigned>(table);
}

// The text without "(", ")", "-" and their full-width forms "（", "）", "－".
std::string WithoutBracketsAndDashes(std::string_view text) {
    static constexpr std::array<std::string_view, 3> kWide{"\xEF\xBC\x88", "\xEF\xBC\x89", "\xEF\xBC\x8D"};
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char c = text[i];
        if (c == '(' || c == ')' || c == '-') {
            ++i;
            continue;
        }
        if (std::any_of(kWide.begin(), kWide.end(),
                        [&](std::string_view w) { return text.substr(i).starts_with(w); })) {
            i += 3;
            continue;
        }
        out.push_back(c);
        ++i;
    }
    return out;
}

// The numbers of the tables in `tables` (PrefixTable bits) in `text`, handed over in the order
// found.
template <typename Mob>
void FindMobs(std::string_view text, unsigned tables, Mob mob) {
    if (tables == 0) return;
    const std::string clean = WithoutBracketsAndDashes(text);
    const std::string_view all = clean;
    std::size_t from = 0;
    std::size_t p = 0;
    while (const PrefixEntry* e = Matcher().FindEarliest(all, from, tables, p)) {
        std::size_t length = NumberLength(e->entry);
        std::string_view window = all.substr(p, length);
        if (window.size() != length || !IsAllDigits(window)) {
            from = p + 1;
            continue;
        }
        from = p + length;
        mob(window);
    }
}

}  // namespace

bool StartsWithAnyPrefix(std::string_view number, std::string_view prefixList) {
    std::string list = std::string(TrimControls(prefixList)) + ",";
    std::string_view rest = list;
    while (!rest.empty()) {
        std::size_t comma = rest.find(',');
        std::string_view item = rest.substr(0, comma);
        rest = TrimControls(rest.substr(comma + 1));
        if (!item.empty() && number.starts_with(item)) return true;
    }
    return false;
}

std::vector<std::string> ExtractMobs(std::string_view text, bool useMobile1, bool useMobile2,
                                     bool useAreaCode, bool filterOn, std::string_view prefixList) {
    unsigned tables = (useMobile1 ? Bit(PrefixTable::Mobile1) : 0) |
                      (useMobile2 ? Bit(PrefixTable::Mobile2) : 0) |
                      (useAreaCode ? Bit(PrefixTable::AreaCode) : 0);
    std::vector<std::string> mobs;
    FindMobs(text, tables, [&](std::string_view window) {
        if (!filterOn || StartsWithAnyPrefix(window, prefixList)) mobs.emplace_back(window);
    });
    return mobs;
}

void VisitMobs(std::string_view text, const std::function<void(std::string_view mob)>& mob) {
    FindMobs(text, Bit(PrefixTable::Mobile1) | Bit(PrefixTable::Mobile2) | Bit(PrefixTable::AreaCode), mob);
}

}  // namespace xunda
