#pragma once
// Number and date-time texts in the user's locale.
//
// Separators and short month names come from the locale named by LC_ALL, then LC_NUMERIC
// (numbers) or LC_TIME (dates), then LANG, read from ICU's locale data so any locale can be
// chosen without the system generating it. Under the C (or POSIX, or no) locale they are
// ",", ".", "/", ":" and the English month names.
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

// Days since 1899-12-30 00:00, the fraction being the time of day (local time unless a
// function says otherwise).
using TDateTime = double;

struct TFormatSettings {
    std::string ThousandSeparator = ",";
    std::string DecimalSeparator = ".";
    std::string DateSeparator = "/";
    std::string TimeSeparator = ":";
    std::string ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
};

const TFormatSettings& FormatSettings();
// Chooses the locale by name ("de_DE", "C", "" for the environment's). For tests and start-up.
void SetFormatLocale(const std::string& localeName);

// "%.0n": digit grouping, no decimals (1234567 gives 1,234,567).
std::string FormatNumber0(double value);
std::string FormatInt(std::int64_t value);  // same, exact for every 64-bit value
// "%.2n": digit grouping and two decimals (1536/1024 gives 1.50).
std::string FormatNumber2(double value);

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second);
void DecodeDateTime(TDateTime dt, int& year, int& month, int& day, int& hour, int& minute,
                    int& second);
// A POSIX time as local time.
TDateTime UnixToLocalDateTime(std::int64_t unixSeconds);
// A Windows file time (100 ns units since 1601-01-01 UTC) as a UTC date-time.
TDateTime FileTimeToDateTime(std::uint64_t fileTime);

// The program-wide form: "yyyy/mm/dd", then " hh:nn" unless the time is exactly 00:00:00.
std::string DateTimeToText(TDateTime dt);
// Reads that form back (date alone, or date and time); false when it cannot be read.
bool TextToDateTime(std::string_view text, TDateTime& dt);
// "yyyy-mmm-dd hh:nn:ss" with the locale's short month name.
std::string FormatLongStamp(TDateTime dt);
// "previous run on yyyy-mmm-dd at hh:nn:ss".
std::string PreviousRunText(TDateTime dt);
// MS-DOS date (high 16 bits) and time (low 16 bits, two-second resolution) of a local
// date-time; years before 1980 give 0.
std::uint32_t DateTimeToDosDateTime(TDateTime dt);
