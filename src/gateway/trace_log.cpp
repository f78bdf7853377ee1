#include "gateway/trace_log.h"

#include <mutex>

namespace xunda {

namespace {
std::mutex& SinkMutex() {
    static std::mutex mu;
    return mu;
}
std::function<void(const std::string&)>& Sink() {
    static std::function<void(const std::string&)> sink;
    return sink;
}
}  // namespace

std::string MaskPasswords(std::string_view text) {
    constexpr std::string_view kKey = "password=";
    std::string out;
    for (;;) {
        size_t at = text.find(kKey);
        if (at == std::string_view::npos) return out += text;
        out += text.substr(0, at + kKey.size());
        out += "***";
        text.remove_prefix(at + kKey.size());
        size_t end = text.find('&');
        text.remove_prefix(end == std::string_view::npos ? text.size() : end);
    }
}

void TraceLog(std::string_view text) {
    std::lock_guard lock(SinkMutex());
    if (Sink()) Sink()(MaskPasswords(text));
}

void SetTraceSink(std::function<void(const std::string&)> sink) {
    std::lock_guard lock(SinkMutex());
    Sink() = std::move(sink);
}

}  // namespace xunda
