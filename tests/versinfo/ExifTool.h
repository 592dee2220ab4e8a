#pragma once
// Real PE files from Debian's packages (installed by `make test`, never committed) and what
// exiftool, an independent reader, prints for them at test time.
#include <cstdio>
#include <map>
#include <string>
#include <unistd.h>

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
    if (::access(path.c_str(), R_OK) == 0) return true;
    ADD_FAILURE() << path << " is missing: run scripts/ensure-deps test";
    return false;
}

// The EXE tags exiftool prints with -args -n ("-Tag=value" lines), by tag name.
inline std::map<std::string, std::string> ExifToolTags(const std::string& path)
{
    std::map<std::string, std::string> tags;
    std::string command = "exiftool -args -n -charset UTF8 -EXE:all '" + path + "' 2>/dev/null";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run exiftool";
        return tags;
    }
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe)) {
        std::string line(buffer);
        if (line.ends_with('\n')) line.pop_back();
        std::size_t eq = line.find('=');
        if (line.starts_with('-') && eq != std::string::npos) tags[line.substr(1, eq - 1)] = line.substr(eq + 1);
    }
    if (::pclose(pipe) != 0 && tags.empty()) ADD_FAILURE() << "exiftool failed: run scripts/ensure-deps test";
    return tags;
}
