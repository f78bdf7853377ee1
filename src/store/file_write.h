// Small helpers of the store's text files (internal to store/).
#pragma once

#include <string>

namespace xunda::store_detail {

// Writes every byte to a file descriptor (retrying short writes); false on error.
bool WriteAll(int fd, const std::string& bytes);

}  // namespace xunda::store_detail
