#pragma once
// Process services: priority, the executable's folder, the system directory, compression.
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The priority of the process: lowered to the idle class for long work and restored after.
// A class is the scheduling policy and nice value of the calling thread (the user-interface
// thread, which does all the work), packed into one non-zero number.
//
// Lowering is refused, and changes nothing, when the current class could not be restored
// afterwards: an unprivileged Linux process may raise its nice value or enter SCHED_IDLE, but
// leaving again needs CAP_SYS_NICE or a RLIMIT_NICE that allows it, and a program left at
// idle priority for good would crawl for the rest of its run.
class TProcessPriority {
public:
    // The current priority class (non-zero), 0 when it cannot be read or is a real-time
    // class (which this program never leaves or restores).
    static int GetPriorityClass();
    // Sets a class returned by GetPriorityClass, or IdleClass(). False on failure, and when
    // a lowering was refused as said above.
    static bool SetPriorityClass(int priorityClass);
    static int IdleClass();
    // True when the current class could be restored after a lowering.
    static bool CanRestore();
};

// Native folder of the running executable, without a trailing separator.
std::string ExecutableFolder();
// Native path of the running executable.
std::string ExecutablePath();
// The system directory in the program's path form (e.g. "C:\usr\lib\zarvex"), or empty when
// it lies on no drive. It is the folder lib/zarvex beside the executable's own folder
// (<prefix>/bin/zarvex gives <prefix>/lib/zarvex; build/bin gives build/lib/zarvex), whether
// it exists or not; no trailing separator.
std::string SystemDirectory();
// The native form of the same folder.
std::string NativeSystemDirectory();
// The file system's compression flag (FS_IOC_GETFLAGS) and the allocated size of one file or
// folder (st_blocks). False when it cannot be looked up or is no file or folder. A file that
// may be looked at but not opened is reported uncompressed.
bool GetCompressionInfo(std::string_view programPath, bool& compressed, std::int64_t& allocated);

// Starts a program with its arguments handed over byte for byte, never through text: a file
// name that is no valid UTF-8 reaches the program as it is on disk. argv[0] is looked up in
// PATH; standard input is /dev/null. The id of the new process, or 0 when it could not be
// started (the program missing, or not runnable).
pid_t StartProgram(const std::vector<std::string>& argv);
// Once the started process has ended: its exit status, or -1 when it did not exit by itself
// (a signal). Nothing while it still runs. The process is reaped by the call that sees it end.
std::optional<int> ProgramExitStatus(pid_t pid);
