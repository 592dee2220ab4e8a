#include "cli/Options.h"

#include "cli/ResultFormats.h"

#include <cstddef>
#include <string_view>

namespace {

struct TSwitch {
    const char* Name;  // without "--" and without "no-"
    bool TFindOptions::*Field;
};

constexpr TSwitch kSwitches[] = {
    {"same-stamp", &TFindOptions::SameStamp},
    {"same-name", &TFindOptions::SameName},
    {"same-size", &TFindOptions::SameSize},
    {"skip-empty", &TFindOptions::SkipEmpty},
    {"floppy-master", &TFindOptions::FloppyMaster},
    {"skip-sysbckup", &TFindOptions::SkipSysbckup},
    {"skip-desktop-ini", &TFindOptions::SkipDesktopIni},
};

std::string* TextOption(TFindOptions& options, std::string_view name)
{
    if (name == "mask") return &options.Mask;
    if (name == "in") return &options.In;
    if (name == "skip") return &options.Skip;
    return nullptr;
}

std::optional<std::string>* OptionalTextOption(TFindOptions& options, std::string_view name)
{
    if (name == "drives") return &options.Drives;
    if (name == "known-duplicates") return &options.KnownDuplicates;
    if (name == "output") return &options.Output;
    if (name == "format") return &options.Format;
    if (name == "new-duplicates") return &options.NewDuplicates;
    return nullptr;
}

bool SetSwitch(TFindOptions& options, std::string_view name)
{
    const bool value = name.substr(0, 3) != "no-";
    const std::string_view bare = value ? name : name.substr(3);
    for (const TSwitch& s : kSwitches) {
        if (bare == s.Name) {
            options.*s.Field = value;
            return true;
        }
    }
    if (!value) return false;
    if (name == "quiet") return options.Quiet = true;
    if (name == "stats") return options.Stats = true;
    if (name == "help") return options.Help = true;
    if (name == "version") return options.Version = true;
    if (name == "null") return options.Null = true;
    if (name == "trash-duplicates") return options.TrashDuplicates = true;
    if (name == "dry-run") return options.DryRun = true;
    return false;
}

// One "--name[=value]" at args[i]; moves i past a separate value.
bool ParseLongOption(const std::vector<std::string>& args, std::size_t& i, TFindOptions& options,
                     std::string& error)
{
    const std::string& arg = args[i];
    const std::size_t eq = arg.find('=');
    const std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
    std::string* text = TextOption(options, name);
    std::optional<std::string>* optionalText = OptionalTextOption(options, name);
    if (!text && !optionalText) {
        if (eq == std::string::npos && SetSwitch(options, name)) return true;
        error = eq == std::string::npos ? "unknown option '" + arg + "'"
                                        : "option '--" + name + "' takes no value";
        return false;
    }
    std::string value;
    if (eq != std::string::npos) {
        value = arg.substr(eq + 1);
    } else if (i + 1 < args.size()) {
        value = args[++i];
    } else {
        error = "option '" + arg + "' needs a value";
        return false;
    }
    if (text) {
        *text = value;
    } else {
        *optionalText = value;
    }
    return true;
}

bool CheckDrives(const std::string& letters, std::string& error)
{
    for (const char c : letters) {
        if ((c < 'A' || c > 'Z') && (c < 'a' || c > 'z')) {
            error = "--drives takes drive letters only, as in --drives CD";
            return false;
        }
    }
    return true;
}

bool CheckOutputForm(const TFindOptions& options, std::string& error)
{
    TResultFormat format = TResultFormat::rfList;
    if (options.Format && !ParseResultFormat(*options.Format, format)) {
        error = "--format takes list, paths or json";
        return false;
    }
    if (options.Null && options.Format && format != TResultFormat::rfPaths) {
        error = "-0 writes paths; it cannot be used with --format=" + *options.Format;
        return false;
    }
    if (options.DryRun && !options.TrashDuplicates) {
        error = "--dry-run goes with --trash-duplicates";
        return false;
    }
    return true;
}

}  // namespace

bool ParseArguments(const std::vector<std::string>& args, TFindOptions& options, std::string& error)
{
    bool optionsEnd = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnd || arg.empty() || arg[0] != '-') {
            options.Folders.push_back(arg);
        } else if (arg == "--") {
            optionsEnd = true;
        } else if (arg == "-h") {
            options.Help = true;
        } else if (arg == "-q") {
            options.Quiet = true;
        } else if (arg == "-0") {
            options.Null = true;
        } else if (arg == "-o") {
            if (i + 1 == args.size()) {
                error = "option '-o' needs a value";
                return false;
            }
            options.Output = args[++i];
        } else if (arg.size() > 2 && arg[1] == '-') {
            if (!ParseLongOption(args, i, options, error)) return false;
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    if (options.Help || options.Version) return true;
    if (!CheckOutputForm(options, error)) return false;
    if (options.Drives && !options.Folders.empty()) {
        error = "--drives picks drives of the drive table; it cannot be used with FOLDERs";
        return false;
    }
    if (options.Folders.size() > 24) {
        error = "at most 24 FOLDERs (drives C: to Z:)";
        return false;
    }
    return !options.Drives || CheckDrives(*options.Drives, error);
}

std::string UsageText()
{
    return R"(Usage: zarvex-find [OPTION]... [FOLDER]...
Find duplicate files, as Find Now does in Zarvex, and list them in the form of Zarvex.lis.

Each FOLDER becomes a drive of its own for this run (C:, D:, ... in the order given) and is
searched whole. Without FOLDERs the drives are those of the drive table (ZARVEX_DRIVES, or the
mounted file systems).

What to search (comma lists, as typed in the window's boxes):
      --mask MASKS          file masks (default "*.*")
      --in FOLDERS          folders to search on every drive (default "\")
      --skip FOLDERS        folders to skip wherever they are
      --drives LETTERS      drives to search without FOLDERs (default: the fixed drives)

Rules (default in brackets):
      --[no-]same-stamp     same date and time [on]
      --[no-]same-name      same name [off]
      --[no-]same-size      same size and contents; off matches by name alone [on]
      --[no-]skip-empty     skip zero-length files [on]
      --[no-]floppy-master  treat the first removable drive A: as master [on]
      --[no-]skip-sysbckup  skip SYSBCKUP folders [on]
      --[no-]skip-desktop-ini  skip folders holding a desktop.ini file [on]

Files:
      --known-duplicates FILE  paths to leave alone, one a line (the form of SkipDupl.lis)
  -o, --output FILE         the results list (default: standard output)
      --format FORM         the form of the results: list, paths or json (below)
  -0, --null                the paths ended by NUL, for xargs -0 (below)
      --new-duplicates FILE the paths of all duplicates found (the form of NewDupl.lis)

Clean-up (below):
      --trash-duplicates    move every file but the first of each group to the trash
      --dry-run             with --trash-duplicates: tell what would be moved, move nothing

Other:
  -q, --quiet               no progress line and no summary on standard error
      --stats               also tell the longest wait between two event-pump calls,
                            by the clock and in CPU time (shown also with --quiet)
  -h, --help                show this text
      --version             show the version

Ctrl+C (or SIGTERM) stops the search as the Stop button does; the groups found so far
are listed on standard output, and the files named by --output and --new-duplicates are
left as they were. A named file is replaced only by a complete list, never written
through a link to something that is not a regular file, and never when it is one of the
files found (nothing is then written or moved to the trash).
Exit status: 0 after a search, 1 when the output cannot be written or a file could not be
moved to the trash, 2 for bad usage, 3 when some files could not be compared for want of
file descriptors, 130 when the search was stopped by Ctrl+C or SIGTERM.
)" + ResultFormatsHelp();
}
