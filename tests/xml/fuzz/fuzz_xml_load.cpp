// Feeds arbitrary bytes to the document load; the first byte picks the settings (text form,
// dropped comments, strict checks, sorted attributes, layout). Only the model's own exceptions may
// leave the load and the writes that follow it.
#include "xml/document.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::uint8_t flags = data[0];
    xunda::MemoryStream body;
    body.Write(data + 1, size - 1);
    body.SetPosition(0);
    xunda::XmlDocument doc;
    doc.Utf8Strings = flags & 1;
    doc.DropComments = flags & 2;
    doc.StrictParse = flags & 4;
    doc.SortedAttributes = flags & 8;
    try {
        doc.LoadFromStream(body);
    } catch (const xunda::Exception&) {
    }
    doc.Layout = static_cast<xunda::XmlLayout>((flags >> 4) % 3);
    try {
        std::string text = doc.WriteToString();
        xunda::XmlDocument again;
        again.ReadFromString(text);
        xunda::MemoryStream out;
        doc.SaveToStream(out);
    } catch (const xunda::Exception&) {
    }
    return 0;
}
