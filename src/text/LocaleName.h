#pragma once
// Which locale the user chose, as the environment names it, in the form ICU understands.
#include <string>
#include <string_view>

// "de_DE.UTF-8@euro" gives "de_DE", "de-DE" gives "de_DE"; "C", "POSIX", "C.UTF-8" and the
// empty name give "" (the fixed C behaviour). Anything that is not a plausible locale name
// (stray characters, a path) gives "" as well, so hostile environment values fall back to C.
std::string IcuLocaleName(std::string_view posixName);

// The locale for one category: the first non-empty of LC_ALL, `category` (for example
// "LC_NUMERIC") and LANG, mapped by IcuLocaleName.
std::string EnvLocaleName(const char* category);
