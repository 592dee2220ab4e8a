#pragma once
// The command line of zarvex-find: one search as Find Now runs it, with the window's inputs
// and rules as options.
#include <optional>
#include <string>
#include <vector>

struct TFindOptions {
    // The three edit boxes, as typed (comma text).
    std::string Mask = "*.*";
    std::string In = "\\";
    std::string Skip;
    // Drive letters when no folder is given; unset: the fixed drives.
    std::optional<std::string> Drives;
    // Native folders, each a drive of its own (C:, D:, ...).
    std::vector<std::string> Folders;

    bool SameStamp = true;
    bool SameName = false;
    bool SameSize = true;
    bool SkipEmpty = true;
    bool FloppyMaster = true;
    bool SkipSysbckup = true;
    bool SkipDesktopIni = true;

    std::optional<std::string> KnownDuplicates;
    std::optional<std::string> Output;
    std::optional<std::string> Format;  // list, paths or json (checked by ParseArguments)
    bool Null = false;                  // -0: paths ended by NUL
    bool TrashDuplicates = false;
    bool DryRun = false;
    std::optional<std::string> NewDuplicates;
    bool Quiet = false;
    bool Stats = false;
    bool Help = false;
    bool Version = false;
};

// Reads the arguments (without the program name). False, with a message for the user in
// error, when they are no valid command line.
bool ParseArguments(const std::vector<std::string>& args, TFindOptions& options, std::string& error);

// The text of --help.
std::string UsageText();
