// Stream helpers of the XML model.
#include "xml/text.h"

namespace xunda {

XmlStringStream::XmlStringStream(std::string_view text) {
    Write(text.data(), text.size());
    SetPosition(0);
}

void WriteStringToStream(Stream& stream, std::string_view text) {
    if (!text.empty()) stream.Write(text.data(), text.size());
}

void StreamWriteAt(Stream& stream, const void* buffer, std::size_t offset, std::size_t count) {
    stream.Write(static_cast<const char*>(buffer) + offset, count);
}

}  // namespace xunda
