// Long texts for the length tests.
#pragma once

#include <string>

namespace xunda::test {

// `piece` written `times` times.
inline std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

}  // namespace xunda::test
