// zarvex-find: one search for duplicate files, without a window.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/FindRun.h"
#include "cli/Options.h"
#include "platform/FileContent.h"

int main(int argc, char** argv)
{
    // A closed pipe is a write error to report, not a reason to die silently.
    std::signal(SIGPIPE, SIG_IGN);
    RaiseOpenFileLimit();
    const std::vector<std::string> args(argv + 1, argv + argc);
    TFindOptions options;
    std::string error;
    if (!ParseArguments(args, options, error)) {
        std::fprintf(stderr, "zarvex-find: %s\nTry 'zarvex-find --help' for more information.\n",
                     error.c_str());
        return kExitUsage;
    }
    return RunFind(options, stdout, stderr);
}
