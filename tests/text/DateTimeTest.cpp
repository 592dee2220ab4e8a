#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <ctime>
#include <limits>

#include "support/TempTree.h"
#include "text/DateTime.h"

namespace {

using TFields = std::array<int, 6>;  // year, month, day, hour, minute, second

TFields Decode(TDateTime dt)
{
    TFields f{};
    DecodeDateTime(dt, f[0], f[1], f[2], f[3], f[4], f[5]);
    return f;
}

TDateTime Encode(const TFields& f)
{
    return EncodeDateTime(f[0], f[1], f[2], f[3], f[4], f[5]);
}

}  // namespace

TEST(DateTime, CalendarValues)
{
    // The scale is continuous before its epoch (-0.25 is 18:00 of the day before).
    EXPECT_EQ(Encode({1899, 12, 29, 18, 0, 0}), -0.25);
    EXPECT_EQ(Decode(37061.75), (TFields{2001, 6, 19, 18, 0, 0}));
    // Every second of a day comes back as itself: a truncating decode reads many one early.
    for (int year : {1601, 1899, 2024, 9999})
        for (int second = 0; second < 86400; second += 7) {
            const TFields f{year, 12, 31, second / 3600, second / 60 % 60, second % 60};
            ASSERT_EQ(Decode(Encode(f)), f);
        }
    // Fields out of range carry instead of failing; values outside the calendar read as its
    // limits.
    EXPECT_EQ(Decode(EncodeDateTime(2000, 2, 29, 23, 59, 60)), (TFields{2000, 3, 1, 0, 0, 0}));
    EXPECT_EQ(Decode(2958465.99999999), (TFields{9999, 12, 31, 23, 59, 59}));
    EXPECT_EQ(Decode(-1e300), (TFields{1, 1, 1, 0, 0, 0}));
    EXPECT_EQ(Decode(std::nan("")), (TFields{1899, 12, 30, 0, 0, 0}));
}

TEST(DateTime, FileTimesUnixTimesAndTheDosForm)
{
    EXPECT_EQ(FileTimeToDateTime(0), -109205.0);  // 1601-01-01, the start of file times
    EXPECT_EQ(FileTimeToDateTime(116444736000000000ull), 25569.0);  // 1970-01-01 UTC
    {
        TEnvGuard tz("TZ", "CET-1");
        tzset();
        EXPECT_EQ(Decode(UnixToLocalDateTime(982836672)), (TFields{2001, 2, 22, 11, 11, 12}));
        EXPECT_EQ(Decode(UnixToLocalDateTime(-1)), (TFields{1970, 1, 1, 0, 59, 59}));
        EXPECT_NEAR(Now(), UnixToLocalDateTime(std::time(nullptr)), 3.0 / 86400);
    }
    tzset();
    // Far beyond what the C library converts: still a value, read as the calendar's limit.
    EXPECT_EQ(Decode(UnixToLocalDateTime(INT64_MAX))[0], 9999);

    // The MS-DOS form.
    EXPECT_EQ(DateTimeToDosDateTime(EncodeDateTime(1980, 1, 1, 0, 0, 0)), 0x00210000u);
    // 2001-02-22 10:11:13: year 21, month 2, day 22; 10 h, 11 min, 13 s stored as 6.
    const std::uint32_t expected = ((21u << 9 | 2u << 5 | 22u) << 16) | (10u << 11 | 11u << 5 | 6u);
    EXPECT_EQ(DateTimeToDosDateTime(EncodeDateTime(2001, 2, 22, 10, 11, 13)), expected);
    EXPECT_EQ(DateTimeToDosDateTime(EncodeDateTime(2107, 12, 31, 23, 59, 59)) >> 25, 127u);
    EXPECT_EQ(DateTimeToDosDateTime(EncodeDateTime(1979, 12, 31, 23, 59, 59)), 0u);
    EXPECT_EQ(DateTimeToDosDateTime(EncodeDateTime(2108, 1, 1, 0, 0, 0)), 0u);
}
