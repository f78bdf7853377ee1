// Reading the fields of the service's result lines.
#pragma once

#include <string>
#include <string_view>

namespace xunda {

struct FieldSplit {
    std::string field;  // the text before the first ",", trimmed; empty when there is none
    std::string rest;   // the text after that ",", trimmed; the whole text when there is no ","
};

// Takes one field from the front of a line.
FieldSplit TakeField(std::string_view text);

}  // namespace xunda
