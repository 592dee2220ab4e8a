#include "app/MainSettings.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <charconv>

#include "app/MainControls.h"
#include "platform/Settings.h"

namespace {

struct TTextSetting {
    const char* Name;
    QLineEdit* TMainControls::*Edit;
    const char* Default;
};
struct TBoolSetting {
    const char* Name;
    QCheckBox* TMainControls::*Check;
    bool Default;
};

const TTextSetting kTextSettings[] = {
    {"FoldersToIgnore", &TMainControls::edtSkipFolder, ""},
    {"FileMask", &TMainControls::edtFileMask, "*.*"},
    {"RootFolder", &TMainControls::edtRootDir, "\\"},
};
const TBoolSetting kBoolSettings[] = {
    {"FloppyIsMaster", &TMainControls::chkFloppyIsMaster, true},
    {"SkipSysbckupFolder", &TMainControls::chkSkipSysbckup, true},
    {"CheckFileStamp", &TMainControls::chkCheckFileTimestamp, true},
    {"CheckFileName", &TMainControls::chkCheckFilename, false},
    {"CheckFileSize", &TMainControls::chkCheckFilesize, true},
    {"SkipEmptyFiles", &TMainControls::chkSkipEmptyFiles, true},
    {"SkipDesktopFolders", &TMainControls::chkSkipDesktopFolders, true},
};

const char* const kPlacement[4] = {"WindowLeft", "WindowTop", "WindowWidth", "WindowHeight"};

bool ReadInt(const TSettingsKey& key, const char* name, int& value)
{
    std::string text;
    if (!key.ReadString(name, text))
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

void ReadMainSettings(TMainControls& controls)
{
    TSettingsKey key;
    for (const TTextSetting& setting : kTextSettings) {
        std::string text = setting.Default;
        key.ReadString(setting.Name, text);
        (controls.*setting.Edit)->setText(QString::fromStdString(text));
    }
    for (const TBoolSetting& setting : kBoolSettings)
        (controls.*setting.Check)->setChecked(key.ReadBool(setting.Name, setting.Default));
}

void WriteMainSettings(const TMainControls& controls)
{
    TSettingsKey key;
    for (const TTextSetting& setting : kTextSettings)
        key.WriteString(setting.Name, (controls.*setting.Edit)->text().toStdString());
    for (const TBoolSetting& setting : kBoolSettings)
        key.WriteBool(setting.Name, (controls.*setting.Check)->isChecked());
    key.Close();
}

bool ReadWindowPlacement(QWidget& window)
{
    TSettingsKey key;
    int values[4];
    for (int i = 0; i < 4; ++i)
        if (!ReadInt(key, kPlacement[i], values[i]))
            return false;
    QRect place(values[0], values[1], values[2], values[3]);
    place.setSize(place.size().expandedTo(window.minimumSize()));
    const QScreen* screen = QGuiApplication::screenAt(place.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect room = screen->availableGeometry();
        place.setSize(place.size().boundedTo(room.size()).expandedTo(window.minimumSize()));
        place.moveLeft(std::clamp(place.left(), room.left(),
                                  std::max(room.left(), room.right() + 1 - place.width())));
        place.moveTop(std::clamp(place.top(), room.top(),
                                 std::max(room.top(), room.bottom() + 1 - place.height())));
    }
    window.setGeometry(place);
    if (key.ReadBool("WindowMaximized", false))
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    return true;
}

void WriteWindowPlacement(const QWidget& window)
{
    TSettingsKey key;
    QRect place = window.geometry();
    if (window.isMaximized() && window.normalGeometry().isValid())
        place = window.normalGeometry();
    const int values[4] = {place.x(), place.y(), place.width(), place.height()};
    for (int i = 0; i < 4; ++i) key.WriteString(kPlacement[i], std::to_string(values[i]));
    key.WriteBool("WindowMaximized", window.isMaximized());
    key.Close();
}
