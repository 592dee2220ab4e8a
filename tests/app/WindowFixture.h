#pragma once
// A main window on temporary drives, with its own settings and data folders, for the window
// tests. Message boxes answer themselves with their default unless a test queues an answer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <memory>
#include <string>

#include "app/MainForm.h"
#include "platform/Drives.h"
#include "support/TempTree.h"
#include "views/MessageBox.h"

class WindowFixture : public testing::Test {
protected:
    TTempTree FTree;
    TEnvGuard FConfig{"XDG_CONFIG_HOME", FTree.Path("config")};
    TEnvGuard FData{"XDG_DATA_HOME", FTree.Path("data")};
    std::unique_ptr<TEnvGuard> FDrives;
    std::unique_ptr<TfrmMain> Form;

    void SetUp() override
    {
        FTree.MakeDir("c");
        FTree.MakeDir("d");
        SetDrives("C=" + FTree.Path("c") + ";D=" + FTree.Path("d"));
        TMessageBox::ClearHistory();
        TMessageBox::SetUnattended(true);
    }
    void TearDown() override
    {
        Form.reset();
        TMessageBox::SetUnattended(false);
        TMessageBox::ClearHistory();
        FDrives.reset();
        TDriveTable::ResetCurrent();
    }

    void SetDrives(const std::string& spec)
    {
        FDrives.reset();
        FDrives = std::make_unique<TEnvGuard>("ZARVEX_DRIVES", spec);
        TDriveTable::ResetCurrent();
    }

    std::string KeyFile() const { return FTree.Path("config/Quillmoor/Zarvex.conf"); }
    void WriteSettings(const std::string& general)
    {
        FTree.WriteFile("config/Quillmoor/Zarvex.conf", "[General]\n" + general);
    }

    // A window as the program creates it, its list files kept in the temporary tree.
    TfrmMain& Open()
    {
        Form = std::make_unique<TfrmMain>();
        Form->ListFilePath = FTree.Path("data/Zarvex.lis");
        Form->SkipListFilePath = FTree.Path("data/SkipDupl.lis");
        Form->NewListFilePath = FTree.Path("data/NewDupl.lis");
        return *Form;
    }
    // Opened, shown, and past its first timer tick (the drive list is filled).
    TfrmMain& OpenAndStart()
    {
        Open();
        Form->show();
        Form->Timer1Timer();
        return *Form;
    }

    template <typename T> T* Find(const char* name) const
    {
        T* widget = Form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit* Edit(const char* name) const { return Find<QLineEdit>(name); }
    QCheckBox* Check(const char* name) const { return Find<QCheckBox>(name); }
    QPushButton* Button(const char* name) const { return Find<QPushButton>(name); }
    std::string Panel(int index) const
    {
        return Find<QLabel>(("StatusPanel" + std::to_string(index)).c_str())->text().toStdString();
    }
    std::string Title() const { return Form->windowTitle().toStdString(); }
};
