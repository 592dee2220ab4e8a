#include "platform/ShellInfo.h"

#include <sys/stat.h>

#include <QByteArray>
#include <algorithm>
#include <cstdint>
#include <QMimeDatabase>
#include <QMimeType>
#include <QString>
#include <string>
#include <unordered_map>

#include "platform/FileContent.h"
#include "platform/Paths.h"
#include "text/TextUtil.h"

namespace {

// What the MIME database needs to tell content apart; more is never looked at.
constexpr std::size_t kSniffBytes = 16384;

std::string BaseName(std::string_view path)
{
    const std::size_t cut = path.find_last_of("\\/:");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

// Comments are localised XML look-ups; a results list asks for the same few types again and
// again.
const std::string& CommentOf(const QMimeType& type)
{
    static std::unordered_map<std::string, std::string> cache;
    const std::string name = type.name().toStdString();
    auto it = cache.find(name);
    if (it == cache.end()) {
        it = cache.emplace(name, Trim(type.comment().toStdString())).first;
    }
    return it->second;
}

QMimeType TypeOfRegularFile(const QMimeDatabase& db, std::string_view programPath)
{
    const QString name = QString::fromUtf8(BaseName(programPath));
    const QList<QMimeType> byName = db.mimeTypesForFileName(name);
    if (byName.size() == 1) return byName.front();

    QByteArray head;
    TFileContent content;
    if (content.Open(programPath)) {
        const auto want = static_cast<std::size_t>(
            std::min<std::int64_t>(content.Size(), static_cast<std::int64_t>(kSniffBytes)));
        head.resize(static_cast<qsizetype>(want));
        const std::int64_t got = want ? content.ReadAt(0, head.data(), want) : 0;
        head.resize(got > 0 ? static_cast<qsizetype>(got) : 0);
    }
    return db.mimeTypeForFileNameAndData(name, head);
}

const char* InodeTypeName(mode_t mode)
{
    if (S_ISDIR(mode)) return "inode/directory";
    if (S_ISLNK(mode)) return "inode/symlink";
    if (S_ISFIFO(mode)) return "inode/fifo";
    if (S_ISSOCK(mode)) return "inode/socket";
    if (S_ISCHR(mode)) return "inode/chardevice";
    if (S_ISBLK(mode)) return "inode/blockdevice";
    return nullptr;
}

}  // namespace

bool GetFileTypeName(std::string_view programPath, std::string& typeName)
{
    const auto native = ToNativePath(programPath);
    struct stat st;
    if (!native || lstat(native->c_str(), &st) != 0) return false;

    const QMimeDatabase db;
    const char* inodeType = InodeTypeName(st.st_mode);
    const QMimeType type = inodeType ? db.mimeTypeForName(QString::fromLatin1(inodeType))
                                     : TypeOfRegularFile(db, programPath);
    if (!type.isValid()) return false;
    typeName = CommentOf(type);
    return true;
}
