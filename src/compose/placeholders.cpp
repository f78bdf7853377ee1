#include "compose/placeholders.h"

#include "core/text_util.h"

namespace xunda {

bool HasPlaceholder(std::string_view text) {
    for (std::string_view token : {kNamePlaceholder, kBirthdayPlaceholder, kNickNamePlaceholder})
        if (text.find(token) != std::string_view::npos) return true;
    return false;
}

std::string FillPlaceholders(std::string_view text, const ContactFields& contact) {
    std::string filled = ReplaceAll(text, kNamePlaceholder, contact.userName);
    filled = ReplaceAll(filled, kBirthdayPlaceholder, contact.bir);
    return ReplaceAll(filled, kNickNamePlaceholder, contact.nickName);
}

}  // namespace xunda
