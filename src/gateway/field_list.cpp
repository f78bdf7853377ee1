#include <algorithm>

#include "core/text_util.h"
#include "gateway/sms_gateway.h"

namespace xunda {

int GetFieldValue(std::string_view fieldName, int row, std::string& value, int colCount,
                  const FieldList& fields) {
    value.clear();
    const long rows = colCount > 0 ? static_cast<long>(fields.size()) / colCount : 0;
    if (row < 0 || row >= rows) return -2;
    auto sameName = [&](const ResultValue& field) { return EqualsNoCase(field.Name, fieldName); };
    auto first = fields.begin() + static_cast<long>(row) * colCount;
    auto found = std::find_if(first, first + colCount, sameName);
    if (found == first + colCount) return -1;
    value = found->Value;
    return 0;
}

}  // namespace xunda
