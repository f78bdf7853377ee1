#include "xml/document.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

TEST(XmlSmoke, LoadsRows) {
    MemoryStream body;
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<data>\r\n  <row c=\"3132\" g='41'/>\r\n  <row c=\"33\" g=\"34\"/>\r\n</data>\r\n";
    body.Write(text.data(), text.size());
    body.SetPosition(0);
    XmlDocument doc;
    doc.LoadFromStream(body);
    XmlNodeList rows;
    doc.GetRoot()->NodesByName("row", &rows);
    ASSERT_EQ(rows.Count(), 2);
    EXPECT_EQ(rows.GetItems(0)->GetAttributeName(1), "g");
    EXPECT_EQ(rows.GetItems(0)->GetAttributeValue(1), "41");
    EXPECT_EQ(rows.GetItems(1)->GetAttributeValue(0), "33");
}

}  // namespace
}  // namespace xunda
