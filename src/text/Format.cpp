#include "text/Format.h"

#include <unicode/dcfmtsym.h>
#include <unicode/dtfmtsym.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>

#include "text/LocaleName.h"

namespace {

// ---- Locale data -------------------------------------------------------------------------

std::string Utf8(const icu::UnicodeString& s)
{
    std::string out;
    s.toUTF8String(out);
    return out;
}

// ICU quietly answers with its default locale's data for a language it does not know; such
// a locale is treated as C instead.
bool KnownTo(const icu::Locale& requested, const icu::Locale& actual)
{
    return std::strcmp(requested.getLanguage(), actual.getLanguage()) == 0;
}

bool IsPatternLetter(UChar c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The literal text right after the first run of `fieldLetters` in a date or time pattern,
// up to the next field, blanks trimmed: "dd.MM.yy" gives "." for "d", "y. MM. dd." gives ".".
std::string SeparatorAfter(const icu::UnicodeString& pattern, std::u16string_view fieldLetters)
{
    const int32_t n = pattern.length();
    int32_t i = 0;
    while (i < n && fieldLetters.find(pattern[i]) == std::u16string_view::npos) ++i;
    const UChar field = i < n ? pattern[i] : 0;
    while (i < n && pattern[i] == field) ++i;
    icu::UnicodeString sep;
    bool quoted = false;
    for (; i < n; ++i) {
        const UChar c = pattern[i];
        if (c == '\'') {
            if (i + 1 < n && pattern[i + 1] == '\'') {
                sep += c;
                ++i;
            } else {
                quoted = !quoted;
            }
            continue;
        }
        if (!quoted && IsPatternLetter(c))
            break;
        sep += c;
    }
    sep.trim();
    return Utf8(sep);
}

void LoadNumbers(const std::string& name, TFormatSettings& s)
{
    const icu::Locale locale(name.c_str());
    UErrorCode status = U_ZERO_ERROR;
    const icu::DecimalFormatSymbols symbols(locale, status);
    if (U_FAILURE(status) || !KnownTo(locale, symbols.getLocale(ULOC_ACTUAL_LOCALE, status)))
        return;
    const std::string group =
        Utf8(symbols.getSymbol(icu::DecimalFormatSymbols::kGroupingSeparatorSymbol));
    const std::string decimal =
        Utf8(symbols.getSymbol(icu::DecimalFormatSymbols::kDecimalSeparatorSymbol));
    if (!decimal.empty()) {
        s.ThousandSeparator = group;
        s.DecimalSeparator = decimal;
    }
}

std::string PatternSeparator(icu::DateFormat* format, std::u16string_view fieldLetters)
{
    auto* simple = dynamic_cast<icu::SimpleDateFormat*>(format);
    if (!simple)
        return {};
    icu::UnicodeString pattern;
    simple->toPattern(pattern);
    return SeparatorAfter(pattern, fieldLetters);
}

void LoadDates(const std::string& name, TFormatSettings& s)
{
    const icu::Locale locale(name.c_str());
    UErrorCode status = U_ZERO_ERROR;
    const icu::DateFormatSymbols symbols(locale, status);
    if (U_FAILURE(status) || !KnownTo(locale, symbols.getLocale(ULOC_ACTUAL_LOCALE, status)))
        return;
    int32_t count = 0;
    const icu::UnicodeString* months = symbols.getMonths(count, icu::DateFormatSymbols::STANDALONE,
                                                         icu::DateFormatSymbols::ABBREVIATED);
    if (months && count >= 12)
        for (int m = 0; m < 12; ++m)
            if (months[m].length() > 0)
                s.ShortMonthNames[m] = Utf8(months[m]);
    std::unique_ptr<icu::DateFormat> date(
        icu::DateFormat::createDateInstance(icu::DateFormat::kShort, locale));
    std::unique_ptr<icu::DateFormat> time(
        icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, locale));
    const std::string dateSep = PatternSeparator(date.get(), u"yMdL");
    const std::string timeSep = PatternSeparator(time.get(), u"HhKk");
    if (!dateSep.empty())
        s.DateSeparator = dateSep;
    if (!timeSep.empty())
        s.TimeSeparator = timeSep;
}

TFormatSettings& Settings()
{
    static TFormatSettings settings;
    return settings;
}

bool& Loaded()
{
    static bool loaded = false;
    return loaded;
}

// ---- Numbers -----------------------------------------------------------------------------

// True when `value` lies exactly halfway between two numbers of `decimals` decimals, where
// the shortest-distance rounding of to_chars would pick the even one.
bool IsExactTie(double value, int decimals)
{
    int exponent;
    const double mantissa = std::frexp(std::fabs(value), &exponent);
    // value = m * 2^e with an integer m below 2^53.
    const auto m = static_cast<unsigned __int128>(std::ldexp(mantissa, 53));
    const int e = exponent - 53;
    if (e >= 0 || -e > 100)
        return false;
    unsigned __int128 scaled = m;
    for (int i = 0; i < decimals; ++i) scaled *= 10;
    const unsigned __int128 one = 1;
    const unsigned __int128 fraction = scaled & ((one << -e) - 1);
    return fraction == (one << (-e - 1));
}

std::string Grouped(std::string_view digits)
{
    const std::string& sep = Settings().ThousandSeparator;
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += sep;
        out += digits[i];
    }
    return out;
}

std::string FormatFixed(double value, int decimals)
{
    const TFormatSettings& settings = FormatSettings();
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (IsExactTie(value, decimals))
        value = std::nextafter(value, value < 0 ? -INFINITY : INFINITY);
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        text.remove_prefix(1);
    const std::size_t point = text.find('.');
    std::string out = Grouped(text.substr(0, point));
    if (point != std::string_view::npos)
        out += settings.DecimalSeparator + std::string(text.substr(point + 1));
    if (negative && text.find_first_not_of("0.") != std::string_view::npos)
        out.insert(0, "-");
    return out;
}

// ---- Dates -------------------------------------------------------------------------------

struct TFields {
    int Year, Month, Day, Hour, Minute, Second;
};

TFields Fields(TDateTime dt)
{
    TFields f{};
    DecodeDateTime(dt, f.Year, f.Month, f.Day, f.Hour, f.Minute, f.Second);
    return f;
}

std::string Digits(int value, int width)
{
    std::string s = std::to_string(value);
    if (static_cast<int>(s.size()) < width)
        s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
    return s;
}

class TTextReader {
public:
    explicit TTextReader(std::string_view text) : FText(text) {}
    bool AtEnd() const { return FPos == FText.size(); }
    // An unsigned number of 1 to 4 digits; `digits` tells how many there were.
    bool Number(int& value, int& digits)
    {
        value = 0;
        digits = 0;
        while (FPos < FText.size() && FText[FPos] >= '0' && FText[FPos] <= '9' && digits < 5) {
            value = value * 10 + (FText[FPos++] - '0');
            ++digits;
        }
        return digits > 0 && digits <= 4;
    }
    bool Number(int& value)
    {
        int digits;
        return Number(value, digits);
    }
    bool Literal(std::string_view s)
    {
        if (s.empty() || FText.substr(FPos, s.size()) != s)
            return false;
        FPos += s.size();
        return true;
    }
    bool Blanks()
    {
        const std::size_t start = FPos;
        while (FPos < FText.size() && static_cast<unsigned char>(FText[FPos]) <= 32) ++FPos;
        return FPos > start;
    }

private:
    std::string_view FText;
    std::size_t FPos = 0;
};

bool ReadTime(TTextReader& r, const std::string& sep, TFields& f)
{
    if (!r.Number(f.Hour) || !r.Literal(sep) || !r.Number(f.Minute))
        return false;
    return !r.Literal(sep) || r.Number(f.Second);
}

int CurrentCentury()
{
    return Fields(Now()).Year / 100 * 100;
}

std::string LongStampDate(const TFields& f)
{
    return Digits(f.Year, 4) + "-" + FormatSettings().ShortMonthNames[f.Month - 1] + "-" +
           Digits(f.Day, 2);
}

std::string LongStampTime(const TFields& f)
{
    const std::string& sep = FormatSettings().TimeSeparator;
    return Digits(f.Hour, 2) + sep + Digits(f.Minute, 2) + sep + Digits(f.Second, 2);
}

}  // namespace

const TFormatSettings& FormatSettings()
{
    if (!Loaded())
        SetFormatLocale("");
    return Settings();
}

void SetFormatLocale(const std::string& localeName)
{
    std::string numbers = IcuLocaleName(localeName);
    std::string dates = numbers;
    if (localeName.empty()) {
        numbers = EnvLocaleName("LC_NUMERIC");
        dates = EnvLocaleName("LC_TIME");
    }
    TFormatSettings s;
    if (!numbers.empty())
        LoadNumbers(numbers, s);
    if (!dates.empty())
        LoadDates(dates, s);
    Settings() = s;
    Loaded() = true;
}

std::string FormatNumber0(double value)
{
    return FormatFixed(value, 0);
}

std::string FormatNumber2(double value)
{
    return FormatFixed(value, 2);
}

std::string FormatInt(std::int64_t value)
{
    FormatSettings();
    const bool negative = value < 0;
    // Through the unsigned magnitude, which holds the most negative value too.
    std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    const std::string grouped = Grouped(std::to_string(magnitude));
    return negative ? "-" + grouped : grouped;
}

std::string DateTimeToText(TDateTime dt)
{
    const TFields f = Fields(dt);
    const TFormatSettings& s = FormatSettings();
    std::string text = Digits(f.Year, 4) + s.DateSeparator + Digits(f.Month, 2) + s.DateSeparator +
                       Digits(f.Day, 2);
    if (f.Hour != 0 || f.Minute != 0 || f.Second != 0)
        text += " " + Digits(f.Hour, 2) + s.TimeSeparator + Digits(f.Minute, 2);
    return text;
}

bool TextToDateTime(std::string_view text, TDateTime& dt)
{
    const TFormatSettings& s = FormatSettings();
    TTextReader r(text);
    r.Blanks();
    TFields f{};
    int yearDigits;
    if (!r.Number(f.Year, yearDigits) || !r.Literal(s.DateSeparator) || !r.Number(f.Month) ||
        !r.Literal(s.DateSeparator) || !r.Number(f.Day))
        return false;
    const bool blank = r.Blanks();
    if (!r.AtEnd()) {
        if (!blank || !ReadTime(r, s.TimeSeparator, f))
            return false;
        r.Blanks();
        if (!r.AtEnd())
            return false;
    }
    if (yearDigits <= 2)
        f.Year += CurrentCentury();
    if (f.Year < 1 || f.Hour > 23 || f.Minute > 59 || f.Second > 59)
        return false;
    // A day beyond its month (2001/02/30) would carry into the next; such a text is refused.
    const TDateTime value = EncodeDateTime(f.Year, f.Month, f.Day, f.Hour, f.Minute, f.Second);
    const TFields back = Fields(value);
    if (back.Year != f.Year || back.Month != f.Month || back.Day != f.Day)
        return false;
    dt = value;
    return true;
}

std::string FormatLongStamp(TDateTime dt)
{
    const TFields f = Fields(dt);
    return LongStampDate(f) + " " + LongStampTime(f);
}

std::string PreviousRunText(TDateTime dt)
{
    const TFields f = Fields(dt);
    return "previous run on " + LongStampDate(f) + " at " + LongStampTime(f);
}
