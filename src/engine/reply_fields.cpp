#include "engine/reply_fields.h"

#include "core/text_util.h"

namespace xunda {

FieldSplit TakeField(std::string_view text) {
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) return {"", std::string(TrimControls(text))};
    return {std::string(TrimControls(text.substr(0, comma))),
            std::string(TrimControls(text.substr(comma + 1)))};
}

}  // namespace xunda
