// Feeds arbitrary bytes to the document load, with both text forms; only the model's own
// exceptions may leave it.
#include "core/exceptions.h"
#include "core/stream.h"
#include "xml/document.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (bool utf8 : {false, true}) {
        xunda::MemoryStream body;
        body.Write(data, size);
        body.SetPosition(0);
        xunda::XmlDocument doc;
        doc.Utf8Strings = utf8;
        try {
            doc.LoadFromStream(body);
            doc.WriteToString();
            xunda::MemoryStream out;
            doc.SaveToStream(out);
        } catch (const xunda::Exception&) {
        }
    }
    return 0;
}
