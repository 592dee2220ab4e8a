#include "platform/ShellInfo.h"

#include <sys/stat.h>

#include <QByteArray>
#include <QFile>
#include <QStandardPaths>
#include <QMimeDatabase>
#include <QMimeType>
#include <QRegularExpression>
#include <QStringList>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <unordered_map>

#include "platform/FileContent.h"
#include "platform/Paths.h"
#include "text/PathText.h"
#include "text/TextUtil.h"

namespace {

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

QString FileNameText(std::string_view name)
{
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

// The glob patterns that are not a plain "*.ext": literal names ("Makefile"), prefixes
// ("README*") and wildcards inside ("*.[1-9]"), as one expression, case ignored. They are read
// from the shared MIME database's glob lists ("weight:type:pattern[:flags]" lines) rather than
// through QMimeDatabase::allMimeTypes(), which would load every type for a few patterns.
const QRegularExpression& UnusualPatterns()
{
    static const QRegularExpression expression = [] {
        static const QRegularExpression wildcard(QStringLiteral("[*?\\[]"));
        QStringList parts;
        const QStringList lists =
            QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("mime/globs2"));
        for (const QString& path : lists) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) continue;
            while (!file.atEnd()) {
                const QList<QByteArray> fields = file.readLine().trimmed().split(':');
                if (fields.size() < 3 || fields[0].startsWith('#')) continue;
                const QString pattern = QString::fromUtf8(fields[2]);
                if (pattern.startsWith(QLatin1String("*.")) && !pattern.mid(2).contains(wildcard)) continue;
                parts << QStringLiteral("(?:%1)").arg(QRegularExpression::wildcardToRegularExpression(
                                                          pattern, QRegularExpression::UnanchoredWildcardConversion));
            }
        }
        // Without any list every name counts as unusual: Qt is asked each time.
        if (parts.isEmpty()) return QRegularExpression(QStringLiteral(".*"));
        return QRegularExpression(QStringLiteral("\\A(?:%1)\\z").arg(parts.join(QLatin1Char('|'))),
                                  QRegularExpression::CaseInsensitiveOption);
    }();
    return expression;
}

using TCandidates = QList<QMimeType>;

const QString kUnknownType = QStringLiteral("application/octet-stream");

// Qt compiles a regular expression for every unusual pattern at every look-up by name, which
// costs more than the rest of a results row. The answer is a function of the name, so it is
// kept: per whole name, and for a name that no unusual pattern matches per what follows its
// first dot, which alone decides then (its plain "*.ext" patterns).
TCandidates TypesByName(const QMimeDatabase& db, const QString& fileName, std::string_view name)
{
    static std::unordered_map<std::string, TCandidates> byEnding, byName;
    // A tree of strange names stays cheap: a full table starts again.
    auto keep = [](std::unordered_map<std::string, TCandidates>& table, std::string key,
                   TCandidates value) -> const TCandidates& {
        if (table.size() >= 4096) table.clear();
        return table.emplace(std::move(key), std::move(value)).first->second;
    };
    const std::size_t dot = name.find('.');
    if (dot != std::string_view::npos) {
        const std::string ending(name.substr(dot));
        const auto it = byEnding.find(ending);
        if (it != byEnding.end() && !UnusualPatterns().match(fileName).hasMatch()) return it->second;
    }
    const std::string whole(name);
    if (const auto it = byName.find(whole); it != byName.end()) return it->second;
    const TCandidates candidates = db.mimeTypesForFileName(fileName);
    if (dot != std::string_view::npos && !UnusualPatterns().match(fileName).hasMatch()) {
        return keep(byEnding, std::string(name.substr(dot)), candidates);
    }
    return keep(byName, whole, candidates);
}

// Matching the magic rules costs some 70 microseconds a file. Copies have equal contents and
// mostly equal names, so the answer is kept per candidates and contents.
QMimeType TypeByContents(const QMimeDatabase& db, const QString& fileName,
                         const TCandidates& candidates, const TFileContent& content)
{
    if (!content.IsOpen()) return db.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    const auto want = static_cast<std::size_t>(
        std::min<std::int64_t>(content.Size(), static_cast<std::int64_t>(kTypeSniffBytes)));
    QByteArray head(static_cast<qsizetype>(want), '\0');
    const std::int64_t got = want ? content.ReadAt(0, head.data(), want) : 0;
    head.resize(got > 0 ? static_cast<qsizetype>(got) : 0);

    std::string key;
    for (const QMimeType& type : candidates) key += type.name().toStdString() + '\n';
    key += std::to_string(std::hash<std::string_view>()(std::string_view(head.constData(), head.size())));
    key += '/' + std::to_string(head.size());
    static std::unordered_map<std::string, QMimeType> byContents;
    auto it = byContents.find(key);
    if (it == byContents.end()) {
        if (byContents.size() >= 4096) byContents.clear();
        // Without any candidate by name, the name has nothing more to say.
        it = byContents.emplace(key, candidates.isEmpty() ? db.mimeTypeForData(head)
                                                          : db.mimeTypeForFileNameAndData(fileName, head))
                 .first;
    }
    return it->second;
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

std::string InodeTypeComment(const char* inodeType)
{
    const QMimeType type = QMimeDatabase().mimeTypeForName(QString::fromLatin1(inodeType));
    return type.isValid() ? CommentOf(type) : std::string();
}

// Reading the contents costs some 70 microseconds a file; the shell never did it for a name
// with an extension.
bool NameDecides(std::string_view name, const TCandidates& candidates)
{
    if (candidates.size() == 1) return true;
    const std::size_t dot = name.rfind('.');
    return candidates.isEmpty() && dot != std::string_view::npos && dot > 0 && dot + 1 < name.size();
}

// The comment of a type, or the extension's name when the type is the unregistered one.
std::string NameOfType(const QMimeType& type, std::string_view name)
{
    if (type.name() == kUnknownType) return TypeFromExtension(name);
    return CommentOf(type);
}

QMimeType TypeByNameAlone(const QMimeDatabase& db, const TCandidates& candidates)
{
    return candidates.size() == 1 ? candidates.front() : db.mimeTypeForName(kUnknownType);
}

}  // namespace

std::string RegularFileTypeName(std::string_view name, const TFileContent& content)
{
    const QMimeDatabase db;
    const QString fileName = FileNameText(name);
    const TCandidates candidates = TypesByName(db, fileName, name);
    if (NameDecides(name, candidates)) return NameOfType(TypeByNameAlone(db, candidates), name);
    return NameOfType(TypeByContents(db, fileName, candidates, content), name);
}

std::string TypeFromExtension(std::string_view fileName)
{
    const auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos) return " file";
    return UpperCaseAscii(fileName.substr(dot + 1)) + " file";
}

std::string FolderTypeName()
{
    return InodeTypeComment("inode/directory");
}

void WarmUpTypeNames()
{
    // By name alone: nothing is read from any file.
    RegularFileTypeName("warm-up.txt", TFileContent());
    FolderTypeName();
}

bool GetFileTypeName(std::string_view programPath, std::string& typeName)
{
    const auto native = ToNativePath(programPath);
    struct stat st;
    if (!native || lstat(native->c_str(), &st) != 0) return false;
    if (const char* inodeType = InodeTypeName(st.st_mode)) {
        typeName = InodeTypeComment(inodeType);
        return true;
    }
    const std::string_view name = PathName(programPath);
    TFileContent content;
    if (!NameDecides(name, TypesByName(QMimeDatabase(), FileNameText(name), name)))
        content.Open(programPath);
    typeName = RegularFileTypeName(name, content);
    return true;
}
