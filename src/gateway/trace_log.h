// The gateway's trace hook. It writes nowhere until a sink is set (a debugging aid); whatever it
// passes on has every password value masked, so no request URL can leak one.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace xunda {

void TraceLog(std::string_view text);
// Sets where traced lines go (empty: nowhere). Thread-safe.
void SetTraceSink(std::function<void(const std::string&)> sink);
// The text with the value after every "password=" (up to the next "&") written as "***".
std::string MaskPasswords(std::string_view text);

}  // namespace xunda
