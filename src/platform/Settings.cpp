#include "platform/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include "text/TextFile.h"

namespace {

const char* const kOrganization = "Quillmoor";
const char* const kApplication = "Zarvex";

QString ConfigRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString KeyName(std::string_view name)
{
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

// Creating the key: the folder and an empty file, so the key exists from the first start.
void CreateKeyFile(const QString& path)
{
    if (QFileInfo::exists(path))
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        file.close();
}

}  // namespace

struct TSettingsKey::TImpl {
    // QSettings keeps its user folder from the first use on; it is set again at every opening.
    TImpl()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, ConfigRoot());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, ConfigRoot());
        Settings = std::make_unique<QSettings>(kOrganization, kApplication);
    }
    std::unique_ptr<QSettings> Settings;
};

TSettingsKey::TSettingsKey()
{
    // Reading a FIFO would block, and writing through a planted link would replace a device.
    if (!MayReplaceFile(FilePath()))
        return;
    FImpl = std::make_unique<TImpl>();
    CreateKeyFile(FImpl->Settings->fileName());
}

TSettingsKey::~TSettingsKey()
{
    Close();
}

std::string TSettingsKey::FilePath()
{
    return (ConfigRoot() + "/" + kOrganization + "/" + kApplication + ".conf").toStdString();
}

bool TSettingsKey::ReadString(std::string_view name, std::string& value) const
{
    if (!FImpl || !FImpl->Settings->contains(KeyName(name)))
        return false;
    const QVariant stored = FImpl->Settings->value(KeyName(name));
    // A hand-edited value with bare commas reads as a list in the INI form: keep it as typed.
    if (stored.userType() == QMetaType::QStringList)
        value = stored.toStringList().join(',').toStdString();
    else
        value = stored.toString().toStdString();
    return true;
}

bool TSettingsKey::ReadBool(std::string_view name, bool defaultValue) const
{
    std::string text;
    if (!ReadString(name, text))
        return defaultValue;
    return BoolOfText(text, defaultValue);
}

void TSettingsKey::WriteString(std::string_view name, std::string_view value)
{
    if (!FImpl)
        return;
    FImpl->Settings->setValue(
        KeyName(name), QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

void TSettingsKey::WriteBool(std::string_view name, bool value)
{
    WriteString(name, value ? "1" : "0");
}

bool TSettingsKey::Close()
{
    if (!FImpl)
        return MayReplaceFile(FilePath());
    FImpl->Settings->sync();
    // A FormatError tells of a garbled file read before; the write itself replaced it.
    const bool stored = FImpl->Settings->status() != QSettings::AccessError;
    FImpl.reset();
    return stored;
}

bool TSettingsKey::BoolOfText(std::string_view text, bool defaultValue)
{
    std::size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
    if (first < last && (text[first] == '+' || text[first] == '-'))
        ++first;
    if (first == last)
        return defaultValue;
    bool nonZero = false;
    for (std::size_t i = first; i < last; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return defaultValue;
        nonZero = nonZero || text[i] != '0';
    }
    return nonZero;
}
