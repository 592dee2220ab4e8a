#pragma once
// The program's own path form ("C:\Data\report.txt", "/" accepted as a separator too) and
// native paths. A path on no drive maps to nothing; every caller treats that as "not found".
#include <optional>
#include <string>
#include <string_view>

std::optional<std::string> ToNativePath(std::string_view programPath);
// The program's form of a native absolute path, on the drive whose root holds it most
// closely (the longest matching root); nothing when no drive holds it.
std::optional<std::string> FromNativePath(std::string_view nativePath);
