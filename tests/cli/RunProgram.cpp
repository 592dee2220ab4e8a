#include "cli/RunProgram.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/TempTree.h"

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ProgramPath()
{
    const char* bin = std::getenv("ZARVEX_BIN");
    if (!bin) throw std::runtime_error("ZARVEX_BIN is not set");
    return std::string(bin) + "/zarvex-find";
}

}  // namespace

TProgramRun RunZarvexFind(const std::vector<std::string>& args, const std::string& drives,
                          int interruptAfterMs)
{
    TTempTree capture;  // apart from any searched tree
    const std::string outPath = capture.Path("out"), errPath = capture.Path("err");
    const std::string program = ProgramPath();

    std::vector<std::string> env = {"LC_ALL=C", "LANG=C", "TZ=UTC", "PATH=/usr/bin:/bin",
                                    "HOME=" + capture.Root()};
    if (!drives.empty()) env.push_back("ZARVEX_DRIVES=" + drives);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, 1);
        dup2(err, 2);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    if (pid > 0 && interruptAfterMs >= 0) {
        usleep(static_cast<useconds_t>(interruptAfterMs) * 1000);
        kill(pid, SIGINT);
    }
    TProgramRun run;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        run.Status = WEXITSTATUS(status);
    }
    run.Out = ReadAll(outPath);
    run.Err = ReadAll(errPath);
    return run;
}
