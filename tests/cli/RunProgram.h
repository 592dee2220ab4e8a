#pragma once
// Runs build/bin/zarvex-find as a child process with a fixed environment (C locale, UTC, the
// given ZARVEX_DRIVES) and collects what it wrote.
#include <string>
#include <vector>

struct TProgramRun {
    int Status = -1;  // exit status; -1 when it did not exit normally
    std::string Out, Err;
};

// args without the program name. drives: the ZARVEX_DRIVES value, or empty for none.
// interruptAfterMs: when not negative, a SIGINT (Ctrl+C) is sent that long after the start.
TProgramRun RunZarvexFind(const std::vector<std::string>& args, const std::string& drives = "",
                          int interruptAfterMs = -1);
