#include "cli/ResultFormats.h"

#include <sys/stat.h>

#include <cinttypes>
#include <ctime>
#include <optional>

#include "engine/CopyCleanup.h"
#include "platform/Paths.h"
#include "text/Format.h"
#include "text/TextUtil.h"
#include "text/Utf8.h"
#include "views/FileRow.h"
#include "views/GroupSelect.h"

namespace {

// A JSON string; valid turns false when a byte had to be replaced.
std::string JsonString(std::string_view s, bool* valid = nullptr)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp;
        const std::size_t n = DecodeUtf8(s, i, cp);
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (n == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD
            if (valid)
                *valid = false;
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out.append(s.substr(i, n));
        }
        i += n;
    }
    return out + "\"";
}

std::string Base64(std::string_view s)
{
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < s.size(); i += 3) {
        std::uint32_t v = static_cast<unsigned char>(s[i]) << 16;
        if (i + 1 < s.size())
            v |= static_cast<unsigned char>(s[i + 1]) << 8;
        if (i + 2 < s.size())
            v |= static_cast<unsigned char>(s[i + 2]);
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += i + 1 < s.size() ? kDigits[(v >> 6) & 63] : '=';
        out += i + 2 < s.size() ? kDigits[v & 63] : '=';
    }
    return out;
}

// A path field, with its exact bytes beside it when they are no valid UTF-8.
std::string PathField(const char* name, std::string_view value)
{
    bool valid = true;
    std::string field = std::string("\"") + name + "\": " + JsonString(value, &valid);
    if (!valid)
        field += std::string(", \"") + name + "_base64\": \"" + Base64(value) + "\"";
    return field;
}

// ISO 8601 local time with its offset from the file itself ("2001-06-19T14:05:00+02:00"), or
// the row's minute text without an offset when the file cannot be looked at, or nothing.
std::optional<std::string> Iso8601(const std::string& native, const TResultRow& row)
{
    struct stat st {};
    struct tm local {};
    char text[64];
    if (lstat(native.c_str(), &st) == 0 && localtime_r(&st.st_mtime, &local)) {
        const long offset = local.tm_gmtoff / 60;  // minutes east of UTC
        const int hours = static_cast<int>((offset < 0 ? -offset : offset) / 60 % 100);
        const int minutes = static_cast<int>((offset < 0 ? -offset : offset) % 60);
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d",
                      local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                      local.tm_min, local.tm_sec, offset < 0 ? '-' : '+', hours, minutes);
        return text;
    }
    TDateTime value = 0;
    if (row.SubItems.size() < fcModified || !TextToDateTime(row.SubItems[fcModified - 1], value))
        return std::nullopt;
    int y, mo, d, h, mi, s;
    DecodeDateTime(value, y, mo, d, h, mi, s);
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", y, mo, d, h, mi, s);
    return text;
}

std::string SubItem(const TResultRow& row, int column)
{
    const std::size_t index = static_cast<std::size_t>(column - 1);
    return index < row.SubItems.size() ? row.SubItems[index] : std::string();
}

std::optional<std::int64_t> RowSize(const TResultRow& row)
{
    long long size = 0;
    if (!TryStrToInt64(SubItem(row, fcSize), size))
        return std::nullopt;
    return size;
}

std::string NativeOf(const std::string& caption)
{
    return ToNativePath(caption).value_or(std::string());
}

std::string JsonFile(const TResultRow& row)
{
    const std::string native = NativeOf(row.Caption);
    const std::optional<std::int64_t> size = RowSize(row);
    const std::optional<std::string> modified = Iso8601(native, row);
    return "{" + (native.empty() ? std::string("\"path\": null") : PathField("path", native)) +
           ", " + PathField("program_path", row.Caption) +
           ", \"size\": " + (size ? std::to_string(*size) : "null") +
           ", \"modified\": " + (modified ? JsonString(*modified) : "null") +
           ", \"type\": " + JsonString(SubItem(row, fcType)) +
           ", \"attributes\": " + JsonString(SubItem(row, fcAttr)) +
           ", \"file_version\": " + JsonString(SubItem(row, fcFileVer)) +
           ", \"product_version\": " + JsonString(SubItem(row, fcProdVer)) + "}";
}

std::string Json(const std::vector<TResultRow>& rows)
{
    std::string out = "{\"groups\": [";
    std::int64_t files = 0, duplicates = 0, bytes = 0;
    const std::vector<TRowGroup> groups = GroupsOfRows(rows);
    for (std::size_t g = 0; g < groups.size(); ++g) {
        out += g ? ",\n  {\"files\": [" : "\n  {\"files\": [";
        for (std::size_t i = 0; i < groups[g].Files.size(); ++i) {
            const TResultRow& row = rows[groups[g].Files[i]];
            out += (i ? ",\n    " : "\n    ") + JsonFile(row);
            ++files;
            if (i == 0)
                continue;
            ++duplicates;
            bytes += RowSize(row).value_or(0);
        }
        out += "]}";
    }
    out += "],\n \"totals\": {\"groups\": " + std::to_string(groups.size()) +
           ", \"files\": " + std::to_string(files) +
           ", \"duplicate_files\": " + std::to_string(duplicates) +
           ", \"duplicate_bytes\": " + std::to_string(bytes) + "}}\n";
    return out;
}

// Native paths of every group, each ended by `end`, groups parted by `between`.
std::string Paths(const std::vector<TResultRow>& rows, char end, std::string_view between)
{
    std::string out;
    bool first = true;
    for (const TRowGroup& group : GroupsOfRows(rows)) {
        if (!first)
            out += between;
        first = false;
        for (const std::size_t row : group.Files) {
            const std::string native = NativeOf(rows[row].Caption);
            if (!native.empty())  // an empty one would read as the end of the group
                out += native + end;
        }
    }
    return out;
}

// A path for a line of the report: control characters and the backslash escaped, so that no
// name can forge a line.
std::string Shown(std::string_view path)
{
    std::string out;
    for (const char c : path) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

bool ParseResultFormat(std::string_view name, TResultFormat& format)
{
    if (name == "list")
        format = TResultFormat::rfList;
    else if (name == "paths")
        format = TResultFormat::rfPaths;
    else if (name == "json")
        format = TResultFormat::rfJson;
    else
        return false;
    return true;
}

std::string FormatResults(const std::vector<TResultRow>& rows, TResultFormat format)
{
    switch (format) {
        case TResultFormat::rfPaths:
            return Paths(rows, '\n', "\n");
        case TResultFormat::rfNull:
            return Paths(rows, '\0', std::string_view("\0", 1));
        case TResultFormat::rfJson:
            return Json(rows);
        case TResultFormat::rfList:
            break;
    }
    return {};
}

bool TrashDuplicates(const std::vector<TResultRow>& rows, bool dryRun, std::FILE* report,
                     std::FILE* summary)
{
    const std::vector<TCleanupGroup> groups =
        CleanupGroupsOfRows(rows, SelectAllButOne(rows, TKeepRule::krFirst));
    const TCleanupReport done =
        CleanUpCopies(groups, dryRun ? TCleanupMode::cmDryRun : TCleanupMode::cmTrash);
    std::int64_t bytes = 0;
    for (const TCleanupResult& file : done.Files) {
        const std::string path = Shown(NativeOf(file.Path));
        if (file.Outcome == TCleanupOutcome::coRemoved) {
            bytes += file.Size;
            std::fprintf(report, "%s\t%s\n", dryRun ? "would move" : "moved", path.c_str());
        } else {
            const bool failed = file.Outcome == TCleanupOutcome::coFailed;
            std::fprintf(report, "%s\t%s\t%s\n", failed ? "failed" : "kept", path.c_str(),
                         Shown(OutcomeText(file)).c_str());
        }
    }
    const std::size_t failed = done.Count(TCleanupOutcome::coFailed);
    if (summary) {
        const std::size_t moved = done.Count(TCleanupOutcome::coRemoved);
        std::fprintf(summary, "%s %zu files (%s bytes) to the trash; %zu kept, %zu failed\n",
                     dryRun ? "Would move" : "Moved", moved, FormatInt(bytes).c_str(),
                     done.Files.size() - moved - failed, failed);
    }
    return failed == 0;
}

std::string ResultFormatsHelp()
{
    return R"(
Output forms (--format):
  list   the form of Zarvex.lis, one row a line (the default)
  paths  the native path of every file, one a line, a blank line between groups (a name
         with a line break cannot be told apart there: use -0 or json for such names)
  json   one object, for example:
           {"groups": [
             {"files": [
               {"path": "/home/ann/a.txt", "program_path": "C:\\home\\ann\\a.txt",
                "size": 14, "modified": "2001-06-19T14:05:00+02:00",
                "type": "plain text document", "attributes": "   A",
                "file_version": "", "product_version": ""},
               {"path": "/home/ann/b.txt", ...}]}],
            "totals": {"groups": 1, "files": 2, "duplicate_files": 1, "duplicate_bytes": 14}}
         "modified" is local time with its offset; "duplicate_*" count every file of a group
         but the first. A name that is not valid UTF-8 shows U+FFFD for each byte that does
         not decode, and its exact bytes follow in "path_base64" and "program_path_base64".
With -0 (--null) every path is followed by a NUL, with one more NUL between groups, for
xargs -0, which passes an empty argument between groups (tr -s '\0' drops it).

--trash-duplicates moves every file but the first of each group to the trash, each only when
another file of its group that stays still has the same size and the same bytes, read again
now (never the same file through a hard link). It tells each file on standard output
("moved", "kept" or "failed", a tab, the path, a tab and the reason; control characters
and "\" in a path as \xNN); the results list is written only with --output. With --dry-run
it tells what it "would move" and touches nothing.
Nothing is ever deleted for good from the command line.
)";
}
