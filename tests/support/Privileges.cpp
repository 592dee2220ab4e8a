#include "support/Privileges.h"

#include <errno.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int RunChild(const std::function<int()>& body, unsigned seconds, bool dropPrivileges)
{
    pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        alarm(seconds);  // a body that hangs ends as a failure, not as a stuck test run
        if (dropPrivileges && geteuid() == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(kNobodyId) != 0 || setuid(kNobodyId) != 0) {
                _exit(120);
            }
        }
        _exit(body());
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int RunUnprivileged(const std::function<int()>& body, unsigned seconds)
{
    return RunChild(body, seconds, true);
}

int RunInChild(const std::function<int()>& body, unsigned seconds)
{
    return RunChild(body, seconds, false);
}

void OpenToOthers(const std::string& treeRoot, const std::string& nativeFolder)
{
    std::string path = nativeFolder;
    for (;;) {
        struct stat st;
        if (stat(path.c_str(), &st) == 0) chmod(path.c_str(), (st.st_mode & 07777) | 0055);
        if (path.size() <= treeRoot.size()) break;
        path = path.substr(0, path.rfind('/'));
    }
}
