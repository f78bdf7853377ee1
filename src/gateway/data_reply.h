// Reading the data query's XML reply into a field list.
#pragma once

#include <string_view>

#include "gateway/sms_gateway.h"

namespace xunda {

// Every direct child of the root named "row" (any case) is a row; each of its attributes is a
// field whose value is hex text of UTF-8 bytes (either case; a bad pair gives the byte 0xFF).
// Returns 0, or -2 when the document has no root element; a body that is not XML throws the XML
// model's exception. fields, colCount (attributes of the last row) and rowCount are replaced.
int ReadDataReply(std::string_view body, FieldList& fields, int& colCount, int& rowCount);

}  // namespace xunda
