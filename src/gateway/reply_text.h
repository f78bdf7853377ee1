// Reading the service's text replies: the body's lines and the result code in line 1.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xunda {

// The lines of a reply body (GBK bytes): the text ends at the first NUL byte; a line ends at CR,
// LF or CR LF; a break at the very end adds no empty line, an empty line inside is a line. The
// lines come back as UTF-8.
std::vector<std::string> SplitReplyLines(std::string_view body);
// The text without leading and trailing blanks and control characters.
std::string TrimBlanks(std::string_view text);

// The outcome of one text request as the callers read it.
//   status: the HTTP status (0 for a reply without status line, which counts as no answer);
//   body: the reply body; maxBody: the largest body accepted.
// Returns the gateway result: 0 (resultValue := line 1 trimmed, replyLines := lines 2..n), -3 (200
// without any line), or a positive status (500 for no usable answer); resultValue is only written
// for 0, replyLines is emptied in every case.
int ReadTextReply(int status, std::string_view body, std::size_t maxBody, std::string& resultValue,
                  std::vector<std::string>& replyLines);

}  // namespace xunda
