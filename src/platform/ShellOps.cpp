#include "platform/ShellOps.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QMimeDatabase>
#include <QMimeType>
#include <QString>
#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Trash.h"
#include "text/TextUtil.h"

namespace {

QString NativeName(const std::string& native)
{
    return QFile::decodeName(QByteArray(native.data(), static_cast<qsizetype>(native.size())));
}

// The outcome for a listed file that is not to be touched; nothing for a regular file.
std::optional<TDeleteResult> Refusal(TListedState state, const TListedFile& file)
{
    switch (state) {
        case TListedState::lsFile:
            return std::nullopt;
        case TListedState::lsNotFound:
            return TDeleteResult{TDeleteOutcome::doNotFound, {}};
        case TListedState::lsNotAFile:
            return TDeleteResult{TDeleteOutcome::doNotAFile, {}};
        default:
            return TDeleteResult{TDeleteOutcome::doFailed, ListedRefusal(state, file.Error())};
    }
}

bool EndsWithNoCase(std::string_view s, std::string_view tail)
{
    return s.size() >= tail.size() && LowerCaseAscii(s.substr(s.size() - tail.size())) == tail;
}

bool MimeRunsCode(const QMimeType& mime)
{
    static const char* const kRunnable[] = {
        "application/x-desktop",    "application/x-ms-dos-executable",
        "application/x-msi",        "application/x-java-archive",
        "application/java-archive", "application/vnd.appimage",
        "application/x-sharedlib",  "application/vnd.microsoft.portable-executable",
    };
    for (const char* name : kRunnable) {
        if (mime.inherits(QString::fromLatin1(name)))
            return true;
    }
    // Interpreted scripts are sub-types of x-executable too; without an execute bit they open
    // as text, so only binary executables count here.
    return mime.inherits(QStringLiteral("application/x-executable")) &&
           !mime.inherits(QStringLiteral("text/plain"));
}

}  // namespace

TDeleteResult MoveToTrash(std::string_view programPath)
{
    TListedFile file;
    if (auto refused = Refusal(file.Open(programPath), file))
        return *refused;
    return TrashListedFile(file);
}

TDeleteResult TrashListedFile(const TListedFile& file)
{
    std::string error;
    if (MoveListedFileToTrash(file, error))
        return {TDeleteOutcome::doDeleted, {}};
    return {TDeleteOutcome::doFailed, error};
}

TDeleteResult DeletePermanently(std::string_view programPath)
{
    TListedFile file;
    if (auto refused = Refusal(file.Open(programPath), file))
        return *refused;
    return DeleteListedFile(file);
}

TDeleteResult DeleteListedFile(const TListedFile& file)
{
    if (unlinkat(file.Folder(), file.Name().c_str(), 0) == 0 || errno == ENOENT)
        return {TDeleteOutcome::doDeleted, {}};
    return {TDeleteOutcome::doFailed, std::strerror(errno)};
}

bool IsProgramFile(std::string_view programPath)
{
    const auto native = ToNativePath(programPath);
    if (!native)
        return false;
    struct stat st {};
    if (stat(native->c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0) {
        return true;
    }
    if (EndsWithNoCase(*native, ".desktop"))
        return true;
    static const QMimeDatabase db;
    return MimeRunsCode(db.mimeTypeForFile(NativeName(*native)));
}

bool StartDetached(std::string_view programPath, std::string_view fileProgramPath)
{
    const auto program = ToNativePath(programPath);
    const auto file = ToNativePath(fileProgramPath);
    if (!program || !file)
        return false;
    // A shell in between leaves the viewer running on its own (no child of ours to reap) and
    // hands both names over byte for byte; it fails when the program cannot be run.
    const pid_t shell =
        StartProgram({"/bin/sh", "-c", "[ -x \"$0\" ] || exit 127; \"$0\" \"$1\" >/dev/null 2>&1 &",
                      *program, *file});
    if (shell <= 0)
        return false;
    std::optional<int> status;
    while (!(status = ProgramExitStatus(shell))) usleep(1000);
    return *status == 0;
}
