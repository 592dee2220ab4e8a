#pragma once
// Trimming and ASCII-only case folding, as the engine's own tests use them.
#include <string>
#include <string_view>

// Removes leading and trailing characters of code 32 or below.
std::string Trim(std::string_view s);
// Folds only the ASCII letters; every other byte stays as it is.
std::string UpperCaseAscii(std::string_view s);
std::string LowerCaseAscii(std::string_view s);
// Case-insensitive comparison folding only a to z, comparing byte codes otherwise.
int CompareTextAscii(std::string_view a, std::string_view b);
// Reads a whole decimal integer (optional sign, no blanks); false when the text is no integer
// or out of range.
bool TryStrToInt64(std::string_view s, long long& value);
