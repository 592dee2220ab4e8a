#include "text/LocaleName.h"

#include <cstdlib>

namespace {

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

const char* EnvValue(const char* name)
{
    const char* value = name ? std::getenv(name) : nullptr;
    return value && *value ? value : nullptr;
}

}  // namespace

std::string IcuLocaleName(std::string_view posixName)
{
    // The code set (".UTF-8") and modifier ("@euro") say nothing about separators or months.
    std::string_view base = posixName.substr(0, posixName.find_first_of(".@"));
    std::string name;
    for (char c : base) name += c == '-' ? '_' : c;
    if (name.empty() || name == "C" || name == "POSIX" || name.size() > 32)
        return {};
    for (char c : name)
        if (!IsNameChar(c))
            return {};
    return name;
}

std::string EnvLocaleName(const char* category)
{
    const char* value = EnvValue("LC_ALL");
    if (!value)
        value = EnvValue(category);
    if (!value)
        value = EnvValue("LANG");
    return value ? IcuLocaleName(value) : std::string();
}
