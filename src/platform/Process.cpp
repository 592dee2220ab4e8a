#include "platform/Process.h"

#include "platform/Paths.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sched.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#include <sstream>

// ---- Priority --------------------------------------------------------------------------------

namespace {

struct TClass {
    int Policy = SCHED_OTHER;
    int Nice = 0;
};

bool IsKnownPolicy(int policy)
{
    return policy == SCHED_OTHER || policy == SCHED_BATCH || policy == SCHED_IDLE;
}

int Encode(const TClass& c)
{
    return 1 + c.Policy * 64 + (c.Nice + 20);
}

bool Decode(int value, TClass& c)
{
    if (value < 1) return false;
    c.Policy = (value - 1) / 64;
    c.Nice = (value - 1) % 64 - 20;
    return IsKnownPolicy(c.Policy) && c.Nice >= -20 && c.Nice <= 19;
}

bool ReadClass(TClass& c)
{
    int policy = sched_getscheduler(0);
    if (!IsKnownPolicy(policy)) return false;
    errno = 0;
    int nice = getpriority(PRIO_PROCESS, 0);
    if (errno != 0) return false;
    c.Policy = policy;
    c.Nice = nice;
    return true;
}

bool HasCapSysNice()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("CapEff:", 0) != 0) continue;
        unsigned long long caps = 0;
        std::istringstream(line.substr(7)) >> std::hex >> caps;
        return (caps >> 23) & 1;  // CAP_SYS_NICE
    }
    return false;
}

// Whether the kernel would let this thread get back to `nice` (and leave SCHED_IDLE).
bool MayReturnTo(int nice)
{
    if (HasCapSysNice()) return true;
    struct rlimit limit;
    if (getrlimit(RLIMIT_NICE, &limit) != 0) return false;
    return limit.rlim_cur == RLIM_INFINITY ||
           static_cast<rlim_t>(20 - nice) <= limit.rlim_cur;
}

// Lower means less CPU: SCHED_IDLE below everything, then by nice value.
bool IsLowering(const TClass& from, const TClass& to)
{
    if (to.Policy == SCHED_IDLE) return from.Policy != SCHED_IDLE;
    return from.Policy != SCHED_IDLE && to.Nice > from.Nice;
}

bool Apply(const TClass& target)
{
    struct sched_param param{};
    if (target.Policy == SCHED_IDLE) {
        if (sched_setscheduler(0, SCHED_IDLE, &param) == 0) return true;
        // Without SCHED_IDLE, the weakest nice value is the nearest thing.
        return setpriority(PRIO_PROCESS, 0, 19) == 0;
    }
    if (sched_getscheduler(0) != target.Policy &&
        sched_setscheduler(0, target.Policy, &param) != 0) {
        return false;
    }
    return setpriority(PRIO_PROCESS, 0, target.Nice) == 0;
}

}  // namespace

int TProcessPriority::GetPriorityClass()
{
    TClass c;
    if (!ReadClass(c)) return 0;
    // The nice value means nothing under SCHED_IDLE: every idle thread is the idle class.
    return c.Policy == SCHED_IDLE ? IdleClass() : Encode(c);
}

int TProcessPriority::IdleClass()
{
    return Encode(TClass{SCHED_IDLE, 19});
}

bool TProcessPriority::CanRestore()
{
    TClass current;
    return ReadClass(current) && MayReturnTo(current.Nice);
}

bool TProcessPriority::SetPriorityClass(int priorityClass)
{
    TClass target, current;
    if (!Decode(priorityClass, target) || !ReadClass(current)) return false;
    if (Encode(target) == Encode(current)) return true;
    if (IsLowering(current, target) && !MayReturnTo(current.Nice)) return false;
    return Apply(target);
}

// ---- Folders ---------------------------------------------------------------------------------

std::string ExecutablePath()
{
    std::string buffer(256, '\0');
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return {};
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    // An executable replaced while it runs is shown with this suffix.
    const std::string deleted = " (deleted)";
    struct stat st;
    if (buffer.size() > deleted.size() && buffer.ends_with(deleted) &&
        lstat(buffer.c_str(), &st) != 0) {
        buffer.resize(buffer.size() - deleted.size());
    }
    return buffer;
}

std::string ExecutableFolder()
{
    std::string path = ExecutablePath();
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string NativeSystemDirectory()
{
    std::string folder = ExecutableFolder();
    if (folder.empty()) return {};
    std::string normal = NormalizeNativePath(folder + "/../lib/zarvex");
    if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return normal;
}

std::string SystemDirectory()
{
    std::string native = NativeSystemDirectory();
    if (native.empty()) return {};
    return FromNativePath(native).value_or(std::string());
}

// ---- Compression -----------------------------------------------------------------------------

bool GetCompressionInfo(std::string_view programPath, bool& compressed, std::int64_t& allocated)
{
    compressed = false;
    allocated = 0;
    std::optional<std::string> native = ToNativePath(programPath);
    TNativeLocation location;
    if (!native || !location.Open(*native)) return false;
    struct stat st;
    if (fstatat(location.Fd(), location.Leaf(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) return false;
    allocated = static_cast<std::int64_t>(st.st_blocks) * 512;
    int fd = openat(location.Fd(), location.Leaf(),
                    O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) {
        int flags = 0;  // the kernel reads and writes an int here, whatever the macro says
        if (ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) compressed = (flags & FS_COMPR_FL) != 0;
        close(fd);
    }
    return true;
}

// ---- Started programs ------------------------------------------------------------------------

extern char** environ;

pid_t StartProgram(const std::vector<std::string>& argv)
{
    if (argv.empty())
        return 0;
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    // posix_spawnp reports a program that could not be run as an error of its own, so a missing
    // launcher is told here rather than as an exit status later.
    const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : 0;
}

std::optional<int> ProgramExitStatus(pid_t pid)
{
    int status = 0;
    pid_t done = 0;
    do {
        done = waitpid(pid, &status, WNOHANG);
    } while (done < 0 && errno == EINTR);
    if (done == 0)
        return std::nullopt;
    if (done < 0)
        return -1;  // reaped elsewhere, or no child of ours: its status is lost
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
