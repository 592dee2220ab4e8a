#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/TempTree.h"
#include "text/Format.h"
#include "text/LocaleName.h"

namespace {

const std::string Nnbsp = "\xE2\x80\xAF";  // French digit grouping

class Format : public testing::Test {
protected:
    void TearDown() override { SetFormatLocale(""); }
};

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return EncodeDateTime(y, mo, d, h, mi, s);
}

// The texts joined by "|", so one comparison shows every case.
std::string Join(const std::vector<std::string>& texts)
{
    std::string out;
    for (const std::string& t : texts) out += (out.empty() ? "" : "|") + t;
    return out;
}

}  // namespace

TEST_F(Format, Numbers)
{
    SetFormatLocale("C");
    // Halves round away from zero (1.115 is stored just below its half); a zero has no sign.
    EXPECT_EQ(
        Join({FormatInt(999), FormatInt(std::numeric_limits<std::int64_t>::min()),
              FormatNumber0(4294967296.0), FormatNumber2(1234567.891), FormatNumber0(2.5),
              FormatNumber0(-2.5), FormatNumber2(1152 / 1024.0), FormatNumber2(1.115),
              FormatNumber2(-0.001), FormatNumber0(std::nan("")), FormatNumber2(-INFINITY)}),
        "999|-9,223,372,036,854,775,808|4,294,967,296|1,234,567.89|3|-3|1.13|1.11|0.00|NAN|-INF");
    EXPECT_EQ(FormatNumber0(1e300).size(), 301u + 100u);  // every digit, grouped
    SetFormatLocale("de_DE");
    EXPECT_EQ(FormatNumber2(1234567.5), "1.234.567,50");
    SetFormatLocale("fr_FR.UTF-8");
    EXPECT_EQ(FormatNumber2(-1234.5), "-1" + Nnbsp + "234,50");
}

// The short form, read back by the same form, and the stamp text, in locales with other
// separators (Finnish takes a period between hours and minutes) and month names.
TEST_F(Format, DateTextsAndTheirReadingBack)
{
    const struct {
        const char* Locale;
        std::string Short, Stamp;
    } locales[] = {
        {"C", "2001/06/19 14:05", "2001-Feb-22 at 10:11:12"},
        {"de_DE", "2001.06.19 14:05", "2001-Feb-22 at 10:11:12"},
        {"fr_FR", "2001/06/19 14:05", "2001-f\xC3\xA9vr.-22 at 10:11:12"},
        {"fi_FI", "2001.06.19 14.05", "2001-helmi-22 at 10.11.12"},
    };
    TDateTime back = -1;
    for (const auto& l : locales) {
        SetFormatLocale(l.Locale);
        EXPECT_EQ(DateTimeToText(At(2001, 6, 19, 14, 5)), l.Short);
        EXPECT_EQ(PreviousRunText(At(2001, 2, 22, 10, 11, 12)), "previous run on " + l.Stamp);
        for (TDateTime dt : {At(2001, 6, 19, 14, 5), At(2001, 6, 19), At(9999, 12, 31, 0, 1)}) {
            EXPECT_TRUE(TextToDateTime(DateTimeToText(dt), back) && back == dt)
                << l.Locale << " " << DateTimeToText(dt);
        }
    }
    EXPECT_FALSE(TextToDateTime("2001/06/19", back));  // not in the Finnish form

    SetFormatLocale("C");
    // The date alone at midnight (to the nearest second).
    EXPECT_EQ(Join({DateTimeToText(At(2001, 6, 19, 0, 0, 2)),
                    DateTimeToText(At(2001, 6, 19) + 0.4 / 86400),
                    DateTimeToText(At(99, 1, 2, 3, 4)), FormatLongStamp(FileTimeToDateTime(0))}),
              "2001/06/19 00:00|2001/06/19|0099/01/02 03:04|1601-Jan-01 00:00:00");
    TDateTime dt = 0;
    EXPECT_TRUE(TextToDateTime("  2001/6/9 7:05:09 ", dt));
    EXPECT_EQ(dt, At(2001, 6, 9, 7, 5, 9));
    // Unreadable texts are refused and leave the value as it was.
    for (const char* bad :
         {"", "2001/06", "2001/02/30", "2001/13/01", "2001/06/19 24:00", "2001/06/19 12:00:60",
          "2001-06-19", "2001/06/19 14:05 x", "2001/06/1914:05", "2001/06/19 14:", "12001/06/19",
          "0000/01/01", "2001/06/-1"}) {
        dt = 123.0;
        EXPECT_FALSE(TextToDateTime(bad, dt)) << bad;
        EXPECT_EQ(dt, 123.0) << bad;
    }
}

TEST_F(Format, TheEnvironmentChoosesPerCategory)
{
    TEnvGuard all("LC_ALL", "");
    TEnvGuard numeric("LC_NUMERIC", "de_DE.UTF-8");
    TEnvGuard time("LC_TIME", "fr_FR.UTF-8");
    TEnvGuard lang("LANG", "C");
    SetFormatLocale("");
    EXPECT_EQ(FormatInt(1234), "1.234");
    EXPECT_EQ(FormatLongStamp(At(2001, 2, 1)), "2001-f\xC3\xA9vr.-01 00:00:00");
    {
        TEnvGuard noTime("LC_TIME", "");  // empty counts as unset
        TEnvGuard lang2("LANG", "de_DE.UTF-8");
        SetFormatLocale("");
        EXPECT_EQ(DateTimeToText(At(2001, 6, 19)), "2001.06.19");
    }
    // A locale ICU has no data for behaves as C, whatever ICU's own default would be.
    SetFormatLocale("xx_YY");
    EXPECT_EQ(FormatNumber2(1234.5), "1,234.50");
    EXPECT_EQ(FormatLongStamp(At(2001, 12, 1, 14, 5)), "2001-Dec-01 14:05:00");
}
