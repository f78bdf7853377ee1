#include "core/local_time.h"

#include <gtest/gtest.h>

#include <regex>

namespace xunda {
namespace {

TEST(LocalTime, FormatsTheCurrentTimeInTheGivenPattern) {
    EXPECT_TRUE(std::regex_match(LocalTime("%Y-%m-%d %H:%M:%S"),
                                 std::regex(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})")));
    EXPECT_TRUE(std::regex_match(LocalTime("mobs_%Y%m%d%H%M%S"), std::regex(R"(mobs_\d{14})")));
}

}  // namespace
}  // namespace xunda
