#pragma once
// Real PE files from Debian's packages (installed by `make test`, never committed) and what
// exiftool, an independent reader, prints for them at test time.
#include <cstdio>
#include <map>
#include <string>

#include <gtest/gtest.h>

namespace sample {
inline const std::string kZlib64 = "/usr/x86_64-w64-mingw32/lib/zlib1.dll";
inline const std::string kZlib32 = "/usr/i686-w64-mingw32/lib/zlib1.dll";
inline const std::string kWinPthread = "/usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll";
inline const std::string kNoResources = "/usr/lib/gcc/x86_64-w64-mingw32/12-win32/libgcc_s_seh-1.dll";
}  // namespace sample

// Fails the running test when a sample is missing, naming the fix.
inline bool SampleAvailable(const std::string& path)
{
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        return true;
    }
    ADD_FAILURE() << path << " is missing: run scripts/ensure-deps test";
    return false;
}

// The EXE tags exiftool prints with -args -n ("-Tag=value" lines), by tag name.
inline std::map<std::string, std::string> ExifToolTags(const std::string& nativePath)
{
    std::map<std::string, std::string> tags;
    std::string quoted = "'";
    for (char c : nativePath) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    quoted += "'";
    std::string command = "exiftool -args -n -charset UTF8 -EXE:all " + quoted + " 2>/dev/null";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run exiftool";
        return tags;
    }
    std::string out;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    int status = ::pclose(pipe);
    if (status != 0 && out.empty()) ADD_FAILURE() << "exiftool failed: run scripts/ensure-deps test";
    std::size_t at = 0;
    while (at < out.size()) {
        std::size_t end = out.find('\n', at);
        if (end == std::string::npos) end = out.size();
        std::string line = out.substr(at, end - at);
        at = end + 1;
        std::size_t eq = line.find('=');
        if (line.size() > 1 && line[0] == '-' && eq != std::string::npos)
            tags[line.substr(1, eq - 1)] = line.substr(eq + 1);
    }
    return tags;
}

inline std::string Tag(const std::map<std::string, std::string>& tags, const std::string& name)
{
    auto it = tags.find(name);
    return it == tags.end() ? std::string() : it->second;
}

// Version string keys and the names exiftool gives them.
struct TKeyTag {
    const char* Key;
    const char* Tag;
};
inline constexpr TKeyTag kStringKeys[] = {
    {"CompanyName", "CompanyName"},         {"FileDescription", "FileDescription"},
    {"FileVersion", "FileVersion"},         {"InternalName", "InternalName"},
    {"LegalCopyright", "LegalCopyright"},   {"LegalTrademarks", "LegalTrademarks"},
    {"OriginalFilename", "OriginalFileName"}, {"ProductName", "ProductName"},
    {"ProductVersion", "ProductVersion"},   {"Comments", "Comments"},
    {"Comment", "Comment"},                 {"Licence", "Licence"},
    {"Info", "Info"},
};
