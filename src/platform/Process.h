#pragma once
// Process services: priority, the executable's folder, the system directory, compression.
#include <cstdint>
#include <string>
#include <string_view>

// The priority of the process: lowered to the idle class for long work and restored after.
// Lower() changes nothing when the old priority could not be restored without privileges.
class TProcessPriority {
public:
    // The current priority class (non-zero), 0 when it cannot be read.
    static int GetPriorityClass();
    // Sets a class returned by GetPriorityClass, or IdleClass(). False on failure.
    static bool SetPriorityClass(int priorityClass);
    static int IdleClass();
};

// Native folder of the running executable, without a trailing separator.
std::string ExecutableFolder();
// Native path of the running executable.
std::string ExecutablePath();
// The system directory in the program's path form (e.g. "C:\usr\lib\zarvex"), or empty when
// it lies on no drive.
std::string SystemDirectory();
// The file system's compression flag and the allocated size of one file. False when the file
// cannot be looked up.
bool GetCompressionInfo(std::string_view programPath, bool& compressed, std::int64_t& allocated);
