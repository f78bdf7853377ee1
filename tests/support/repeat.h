// Long texts for the length tests.
#pragma once

#include <string>

namespace xunda::test {

inline std::string Repeat(const std::string& piece, int times) {
    std::string out;
    while (times-- > 0) out += piece;
    return out;
}

}  // namespace xunda::test
