#include "app/MainSettings.h"

#include <QCheckBox>
#include <QLineEdit>

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
