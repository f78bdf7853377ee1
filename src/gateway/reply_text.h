// Reading the service's text replies: the body's lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xunda {

// The lines of a reply body (GBK bytes): a line ends at CR, LF or CR LF; a break at the very end
// adds no empty line, an empty line inside is a line. The lines come back as UTF-8; a NUL byte is
// kept as it came (it ends nothing), for the caller to deal with.
std::vector<std::string> SplitReplyLines(std::string_view body);

}  // namespace xunda
