#include "core/date_text.h"

#include <gtest/gtest.h>

namespace xunda {
namespace {

using namespace std::chrono;

TEST(DateText, DaysAndDatesReadAndWritten) {
    EXPECT_EQ(ParseDay("2024-02-29 13:05:09"), year(2024) / 2 / 29);  // a stored date and time gives its day
    for (const char* bad :
         {"2023-02-29", "2024-13-01", "2024-00-10", "2024-1-01", "2024/01/01", "2024-01-0x", ""})
        EXPECT_EQ(ParseDay(bad), std::nullopt) << bad;
    EXPECT_EQ(DayText(year(987) / 3 / 4), "0987-03-04");
    EXPECT_EQ(DateTimeText(sys_days(year(1999) / 12 / 31) + hours(23) + minutes(5) + seconds(7)),
              "1999-12-31 23:05:07");
    EXPECT_EQ(NextDay("2024-02-28"), "2024-02-29");
    EXPECT_EQ(NextDay("2023-12-31 10:00:00"), "2024-01-01");
    EXPECT_EQ(NextDay("no day"), "");
}

}  // namespace
}  // namespace xunda
