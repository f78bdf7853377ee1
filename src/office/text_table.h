// Texts held one after the other in one block of bytes, numbered from 0 in the order added: a
// table of many short texts without a heap block for each.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace xunda {

class TextTable {
  public:
    std::size_t Size() const { return ends_.size(); }
    std::string_view operator[](std::size_t i) const {
        const std::size_t start = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(bytes_).substr(start, ends_[i] - start);
    }
    // The text's number.
    std::size_t Add(std::string_view text) {
        bytes_ += text;
        ends_.push_back(bytes_.size());
        return ends_.size() - 1;
    }

  private:
    std::string bytes_;
    std::vector<std::size_t> ends_;
};

}  // namespace xunda
