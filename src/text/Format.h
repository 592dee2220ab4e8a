#pragma once
// Number and date-time texts in the user's locale.
//
// Separators and short month names come from the locale named by LC_ALL, then LC_NUMERIC
// (numbers) or LC_TIME (dates), then LANG, read from ICU's locale data so any locale can be
// chosen without the system generating it. Under the C (or POSIX, or no) locale, and under a
// locale ICU has no data for, they are ",", ".", "/", ":" and the English month names.
//
// From the locale data: the grouping and decimal symbols of its numbers; the date separator
// is the text between the first two fields of its short date pattern ("dd.MM.yy" gives "."),
// the time separator the text between hours and minutes of its short time pattern; the month
// names are its abbreviated stand-alone names ("Mär" in German, "janv." in French).
// A ":" in a time form below always stands for the time separator, as in the program-wide
// form, so the stamps of one locale agree with each other.
#include <cstdint>
#include <string>
#include <string_view>

#include "text/DateTime.h"

struct TFormatSettings {
    std::string ThousandSeparator = ",";
    std::string DecimalSeparator = ".";
    std::string DateSeparator = "/";
    std::string TimeSeparator = ":";
    std::string ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
};

const TFormatSettings& FormatSettings();
// Chooses the locale by name ("de_DE", "de_DE.UTF-8", "C", "" for the environment's). For
// tests and start-up.
void SetFormatLocale(const std::string& localeName);

// "%.0n": digit grouping, no decimals (1234567 gives 1,234,567). Halves round away from zero
// (2.5 gives 3); NaN and infinities give "NAN", "INF" and "-INF"; no "-" before a zero.
std::string FormatNumber0(double value);
std::string FormatInt(std::int64_t value);  // same, exact for every 64-bit value
// "%.2n": digit grouping and two decimals (1536/1024 gives 1.50, 1.125 gives 1.13).
std::string FormatNumber2(double value);

// The program-wide form: "yyyy/mm/dd", then " hh:nn" unless the time is exactly 00:00:00
// (milliseconds not counted).
std::string DateTimeToText(TDateTime dt);
// Reads that form back (date alone, or date and time, the time optionally with seconds),
// blanks around it ignored; a year of one or two digits is taken in the current century.
// False, `dt` unchanged, when it cannot be read or names no real date or time.
bool TextToDateTime(std::string_view text, TDateTime& dt);
// "yyyy-mmm-dd hh:nn:ss" with the locale's short month name.
std::string FormatLongStamp(TDateTime dt);
// "previous run on yyyy-mmm-dd at hh:nn:ss".
std::string PreviousRunText(TDateTime dt);
