#include "text/DateTime.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

constexpr std::int64_t MsPerDay = 86400000;
// 0001-01-01 and 9999-12-31 as day numbers of the scale.
constexpr std::int64_t FirstDay = -693593;
constexpr std::int64_t LastDay = 2958465;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = FloorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const std::int64_t era = FloorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const std::int64_t EpochDays = DaysFromCivil(1899, 12, 30);

}  // namespace

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second)
{
    const std::int64_t months = static_cast<std::int64_t>(month) - 1;
    const std::int64_t yearsCarried = FloorDiv(months, 12);
    const int m = static_cast<int>(months - yearsCarried * 12) + 1;
    const std::int64_t days =
        DaysFromCivil(year + yearsCarried, m, 1) + (static_cast<std::int64_t>(day) - 1) - EpochDays;
    const std::int64_t seconds =
        static_cast<std::int64_t>(hour) * 3600 + static_cast<std::int64_t>(minute) * 60 + second;
    return static_cast<double>(days) + static_cast<double>(seconds) / 86400.0;
}

void DecodeDateTime(TDateTime dt, int& year, int& month, int& day, int& hour, int& minute,
                    int& second)
{
    if (std::isnan(dt))
        dt = 0;
    std::int64_t ms;
    if (dt <= static_cast<double>(FirstDay))
        ms = FirstDay * MsPerDay;
    else if (dt >= static_cast<double>(LastDay + 1))
        ms = (LastDay + 1) * MsPerDay - 1;
    else
        ms = std::min<std::int64_t>(std::llround(dt * static_cast<double>(MsPerDay)),
                                    (LastDay + 1) * MsPerDay - 1);
    const std::int64_t days = FloorDiv(ms, MsPerDay);
    const std::int64_t msOfDay = ms - days * MsPerDay;
    CivilFromDays(days + EpochDays, year, month, day);
    hour = static_cast<int>(msOfDay / 3600000);
    minute = static_cast<int>(msOfDay / 60000 % 60);
    second = static_cast<int>(msOfDay / 1000 % 60);
}

TDateTime UnixToLocalDateTime(std::int64_t unixSeconds)
{
    const auto t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
    if (static_cast<std::int64_t>(t) == unixSeconds && localtime_r(&t, &tm))
        return EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                              tm.tm_sec);
    const std::int64_t days = FloorDiv(unixSeconds, 86400);
    return static_cast<double>(days + 25569) +
           static_cast<double>(unixSeconds - days * 86400) / 86400.0;
}

TDateTime FileTimeToDateTime(std::uint64_t fileTime)
{
    // Whole days and the rest apart, so the day count stays exact in a double.
    constexpr std::uint64_t TicksPerDay = 864000000000ull;
    const std::uint64_t days = fileTime / TicksPerDay;
    const std::uint64_t rest = fileTime % TicksPerDay;
    return static_cast<double>(days) - 109205.0 +
           static_cast<double>(rest) / static_cast<double>(TicksPerDay);
}

TDateTime Now()
{
    std::timespec ts{};
    std::timespec_get(&ts, TIME_UTC);
    const TDateTime whole = UnixToLocalDateTime(ts.tv_sec);
    return whole + static_cast<double>(ts.tv_nsec) / 1e9 / 86400.0;
}

std::uint32_t DateTimeToDosDateTime(TDateTime dt)
{
    int y, mo, d, h, mi, s;
    DecodeDateTime(dt, y, mo, d, h, mi, s);
    if (y < 1980 || y > 2107)
        return 0;
    const std::uint32_t date = static_cast<std::uint32_t>(((y - 1980) << 9) | (mo << 5) | d);
    const std::uint32_t time = static_cast<std::uint32_t>((h << 11) | (mi << 5) | (s / 2));
    return (date << 16) | time;
}
