#include "platform/ShellOps.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMimeType>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/Paths.h"
#include "text/TextUtil.h"

namespace {

QString NativeName(const std::string& native)
{
    return QFile::decodeName(QByteArray(native.data(), static_cast<qsizetype>(native.size())));
}

// What may be deleted: a regular file, or a link standing where one was listed.
std::optional<TDeleteResult> RefuseUnlessFile(const std::string& native)
{
    struct stat st {};
    if (lstat(native.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return TDeleteResult{TDeleteOutcome::doNotFound, {}};
        return TDeleteResult{TDeleteOutcome::doFailed, std::strerror(errno)};
    }
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
        return TDeleteResult{TDeleteOutcome::doNotAFile, {}};
    }
    return std::nullopt;
}

bool Gone(const std::string& native)
{
    struct stat st {};
    return lstat(native.c_str(), &st) != 0 && errno == ENOENT;
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

// Qt moves a file into "files/" below the working folder when it cannot set up the home
// trash, and calls that a success. So the home trash is made beforehand, and a landing place
// that is no trash folder is undone.
void EnsureHomeTrash()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return;
    QDir().mkpath(data + QStringLiteral("/Trash/files"));
    QDir().mkpath(data + QStringLiteral("/Trash/info"));
}

bool IsTrashFolder(const QString& landed)
{
    const QFileInfo info(landed);
    if (!info.isAbsolute())
        return false;
    const QDir files = info.dir();
    QDir trash = files;
    if (files.dirName() != QStringLiteral("files") || !trash.cdUp())
        return false;
    const QString name = trash.dirName();
    QDir parent = trash;
    // $XDG_DATA_HOME/Trash, $topdir/.Trash-$uid or $topdir/.Trash/$uid
    return name == QStringLiteral("Trash") || name.startsWith(QStringLiteral(".Trash-")) ||
           (parent.cdUp() && parent.dirName() == QStringLiteral(".Trash"));
}

}  // namespace

TDeleteResult MoveToTrash(std::string_view programPath)
{
    const auto native = ToNativePath(programPath);
    if (!native)
        return {TDeleteOutcome::doNotFound, {}};
    if (auto refused = RefuseUnlessFile(*native))
        return *refused;
    EnsureHomeTrash();
    const QString original = NativeName(*native);
    QFile file(original);
    if (file.moveToTrash()) {
        if (IsTrashFolder(file.fileName()))
            return {TDeleteOutcome::doDeleted, {}};
        QFile::rename(file.fileName(), original);
        return {TDeleteOutcome::doFailed, "no trash folder could be set up for this file"};
    }
    if (Gone(*native))
        return {TDeleteOutcome::doDeleted, {}};
    std::string why = file.errorString().toStdString();
    if (why.empty() || why == "Unknown error")
        why = "the trash cannot take this file";
    return {TDeleteOutcome::doFailed, why};
}

TDeleteResult DeletePermanently(std::string_view programPath)
{
    const auto native = ToNativePath(programPath);
    if (!native)
        return {TDeleteOutcome::doNotFound, {}};
    if (auto refused = RefuseUnlessFile(*native))
        return *refused;
    if (unlink(native->c_str()) == 0 || errno == ENOENT)
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
    return QProcess::startDetached(NativeName(*program), QStringList{NativeName(*file)});
}
