// The placeholders a message may hold, filled per number from the contact table.
#pragma once

#include <string>
#include <string_view>

namespace xunda {

inline constexpr std::string_view kNamePlaceholder = "[姓名]";
inline constexpr std::string_view kBirthdayPlaceholder = "[生日]";
inline constexpr std::string_view kNickNamePlaceholder = "[称呼]";

// A contact's values for the placeholders; empty texts for an unknown number or a NULL column.
struct ContactFields {
    std::string userName;
    std::string bir;  // "YYYY-MM-DD"
    std::string nickName;
};

// Whether the text holds any of the three placeholders.
bool HasPlaceholder(std::string_view text);

// The text with every "[姓名]", then every "[生日]", then every "[称呼]" replaced by the contact's
// value (exact matches; each replacement works on the result of the previous one).
std::string FillPlaceholders(std::string_view text, const ContactFields& contact);

}  // namespace xunda
