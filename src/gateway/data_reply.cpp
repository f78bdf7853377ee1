#include "gateway/data_reply.h"

#include "core/codepage.h"
#include "core/stream.h"
#include "gateway/text_codec.h"
#include "xml/document.h"

namespace xunda {

int ReadDataReply(std::string_view body, FieldList& fields, int& colCount, int& rowCount) {
    fields.clear();
    colCount = 0;
    rowCount = 0;
    ViewStream stream(body);
    XmlDocument doc;
    doc.Utf8Strings = true;
    doc.LoadFromStream(stream);
    XmlNode* root = doc.GetRoot();
    if (!root) return -2;
    XmlNodeList rows;
    root->NodesByName("row", &rows);
    rowCount = rows.Count();
    for (XmlNode* row : rows) {
        colCount = row->GetAttributeCount();
        for (int i = 0; i < colCount; ++i)
            fields.push_back(
                {std::string(row->GetAttributeName(i)), MakeGbkSafe(HexToStr(row->GetAttributeValue(i)))});
    }
    return 0;
}

}  // namespace xunda
