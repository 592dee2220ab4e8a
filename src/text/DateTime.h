#pragma once
// The date-time value of the program and its conversions.
#include <cstdint>

// Days since 1899-12-30 00:00, the fraction being the time of day (local time unless a
// function says otherwise). The scale is continuous across the epoch: -0.25 is 1899-12-29
// 18:00, so differences of values before and after 1899 are true durations.
using TDateTime = double;

// Arithmetic on the fields: a month beyond 1 to 12 moves the year, a day, hour, minute or
// second beyond its range carries into the next field (day 0 is the last day of the month
// before), so every input gives a value.
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second);
// Fields of a value, rounded to the millisecond (so a value that stands for 10:00:00 exactly
// never reads as 09:59:59). Values before 0001-01-01 or after 9999-12-31 23:59:59 read as
// those limits; NaN reads as 1899-12-30 00:00:00.
void DecodeDateTime(TDateTime dt, int& year, int& month, int& day, int& hour, int& minute,
                    int& second);
// A POSIX time as local time (as UTC when the C library cannot convert it).
TDateTime UnixToLocalDateTime(std::int64_t unixSeconds);
// A Windows file time (100 ns units since 1601-01-01 UTC) as a UTC date-time.
TDateTime FileTimeToDateTime(std::uint64_t fileTime);
// The current local date and time.
TDateTime Now();
// MS-DOS date (high 16 bits) and time (low 16 bits, two-second resolution, odd seconds
// rounded down) of a local date-time; years before 1980 or after 2107, which the form cannot
// hold, give 0.
std::uint32_t DateTimeToDosDateTime(TDateTime dt);
