// libFuzzer target of the differential check (xml_differential.h): a difference stops it.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "xml_differential.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!xunda::test::DifferentialMismatch({reinterpret_cast<const char*>(data), size}).empty()) std::abort();
    return 0;
}
