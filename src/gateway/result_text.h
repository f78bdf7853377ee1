// The texts of the SMS service's result codes and of HTTP status codes.
#pragma once

#include <string>

namespace xunda {

// The service code's text, ":" and the code in decimal; unknown codes read "未知错误消息".
std::string SmsResultText(int code);
// The reason phrase of an HTTP status (RFC 2616, 6.1.1), without the code; empty for others.
std::string HttpStatusText(int code);

}  // namespace xunda
