// Reading the service's text replies: the body's lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xunda {

// The lines of a reply body (GBK bytes): the text ends at the first NUL byte; a line ends at CR,
// LF or CR LF; a break at the very end adds no empty line, an empty line inside is a line. The
// lines come back as UTF-8.
std::vector<std::string> SplitReplyLines(std::string_view body);

}  // namespace xunda
