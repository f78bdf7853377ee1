// Feeds arbitrary bytes to the document load; the first byte picks the settings (text form,
// dropped comments, strict checks, sorted attributes, layout). Only the model's own exceptions may
// leave the load and the writes that follow it.
#include <cstdint>

#include "core/exceptions.h"
#include "xml/document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    xunda::MemoryStream body, out;
    body.Write(data + 1, size - 1);
    body.SetPosition(0);
    xunda::XmlDocument doc, again;
    doc.Utf8Strings = data[0] & 1;
    doc.DropComments = data[0] & 2;
    doc.StrictParse = data[0] & 4;
    doc.SortedAttributes = data[0] & 8;
    try {
        doc.LoadFromStream(body);
    } catch (const xunda::Exception&) {
    }
    doc.Layout = static_cast<xunda::XmlLayout>((data[0] >> 4) % 3);
    try {
        again.ReadFromString(doc.WriteToString());
        doc.SaveToStream(out);
    } catch (const xunda::Exception&) {
    }
    return 0;
}
