#pragma once
// The locale-aware, case-insensitive comparison of sorted lists, through ICU.
//
// Strings are UTF-8 bytes as the file system gave them. The comparison is total: bytes that
// are not valid UTF-8 compare as characters of their own, never equal to any valid text.
// "README.TXT" equals "readme.txt", "É" equals "é", "é" differs from "e"; blanks sort before
// digits, so right-aligned numbers of one width sort numerically.
//
// What counts as equal is ICU's collation at secondary strength with blanks and punctuation
// significant: letter case is ignored, accents are not, and canonically equivalent spellings
// (a precomposed "é" and "e" with a combining accent) are equal. Characters that the
// collation ignores entirely (NUL, most other control characters, zero-width marks) do not
// take part, so "a\x01b" equals "ab"; tab, line ends and every printable character do.
#include <string>
#include <string_view>

// Negative, zero or positive as a sorts before, with or after b.
int AnsiCompareText(std::string_view a, std::string_view b);
// A byte string whose plain byte order (memcmp, shorter first) is the order of AnsiCompareText;
// two strings compare equal exactly when their keys are equal.
std::string CollationKey(std::string_view s);
// Same key, appended to `out` (saves an allocation when keys are built in a loop).
void AppendCollationKey(std::string_view s, std::string& out);
// True when texts that begin with a field of N blanks and digits, right-aligned decimal numbers
// without leading zeros, compare as those numbers whenever the numbers differ, whatever
// follows the field. Checked on the collator, not assumed: it holds when the blank and each
// digit map to exactly one collation element, with primary weights ascending from blank to
// 9, and no contraction or context starts with one of them (then the first differing
// character of the two fields decides at the primary level). Byte order (no ICU) holds too.
bool NumberFieldsCollateAsNumbers();
// Chooses the collation locale by ICU name ("de_DE", "en_US", "" for the environment's:
// LC_ALL, LC_COLLATE, LANG). Called by tests; the default is the environment's. The C locale
// and names ICU does not know use ICU's root collation, which is case-insensitive as well.
// Sorted lists keep the keys they computed: choose the locale before filling any.
void SetCollationLocale(const std::string& icuLocale);
