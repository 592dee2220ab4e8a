#pragma once
// A main window on temporary drives C: and D:, with its own settings, data folder and trash.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <filesystem>
#include <memory>

#include "app/MainForm.h"
#include "app/ResultsHandling.h"
#include "dialogs/FilProps.h"
#include "platform/Drives.h"
#include "platform/Settings.h"
#include "support/TempTree.h"
#include "views/FileList.h"
#include "views/MessageBox.h"

using Pic = std::vector<std::string>;

// "H" for a header, else the caption without a leading "C:\".
inline Pic PictureOf(const TResultRows& rows)
{
    Pic out;
    for (const TResultRow& row : rows.Rows()) {
        const std::string& c = row.Caption;
        out.push_back(IsGroupHeader(c) ? "H" : c.rfind("C:\\", 0) == 0 ? c.substr(3) : c);
    }
    return out;
}

class WindowFixture : public testing::Test {
protected:
    TTempTree FTree;
    TEnvGuard FConfig{"XDG_CONFIG_HOME", FTree.Path("config")};
    TEnvGuard FData{"XDG_DATA_HOME", FTree.Path("data")};
    TEnvGuard FHome{"HOME", FTree.Root()};
    std::unique_ptr<TEnvGuard> FDrives;
    std::unique_ptr<TfrmFileProperties1> Dialog;
    std::unique_ptr<TfrmMain> Form;

    void SetUp() override
    {
        FTree.MakeDir("c");
        FTree.MakeDir("d");
        FTree.MakeDir("data");
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

    void SetDrives(const std::string& drives)
    {
        FDrives.reset();
        FDrives = std::make_unique<TEnvGuard>("ZARVEX_DRIVES", drives);
        TDriveTable::ResetCurrent();
    }
    void File(const std::string& path, std::int64_t size, unsigned seed)
    {
        FTree.WriteSized(path, size, seed);
        FTree.SetTime(path, 1700000000);
    }
    void MakeSampleTree()
    {
        for (const char* f : {"c/Documents/Report 2023.odt", "c/Backup/Documents/Report 2023.odt"})
            File(f, 48213, 1);
        for (const char* f : {"c/Photos/Holiday/IMG_0412.jpg", "d/Camera/IMG_0412.jpg"})
            File(f, 1843007, 3);
        for (const char* f : {"c/Music/Intro.mp3", "d/Old Music/Intro.mp3", "d/Old Music/Copy.mp3"})
            File(f, 3211264, 5);
    }
    void WriteSettings(const std::string& general)
    {
        FTree.WriteFile("config/Quillmoor/Zarvex.conf", "[General]\n" + general);
    }
    std::string Stored(const char* name) const
    {
        std::string value = "<absent>";
        TSettingsKey().ReadString(name, value);
        return value;
    }

    TfrmMain& Open(bool withReviewDialog = true)
    {
        Form.reset();
        Dialog.reset(withReviewDialog ? new TfrmFileProperties1 : nullptr);
        Form = std::make_unique<TfrmMain>();
        Form->frmFileProperties1 = Dialog.get();
        Form->ListFilePath = FTree.Path("data/Zarvex.lis");
        Form->SkipListFilePath = FTree.Path("data/SkipDupl.lis");
        Form->NewListFilePath = FTree.Path("data/NewDupl.lis");
        return *Form;
    }
    // Opened, shown and past its first timer tick (the drive list filled).
    TfrmMain& OpenAndStart()
    {
        Open().show();
        Form->Timer1Timer();
        return *Form;
    }

    template <typename T>
    T* Find(const char* name) const
    {
        T* widget = Form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit* Edit(const char* name) const { return Find<QLineEdit>(name); }
    QCheckBox* Check(const char* name) const { return Find<QCheckBox>(name); }
    std::string Panel(int i) const
    {
        return Find<QLabel>(("StatusPanel" + std::to_string(i)).c_str())->text().toStdString();
    }
    std::string Title() const { return Form->windowTitle().toStdString(); }

    Pic Picture() const { return PictureOf(Form->FileListView1->Rows()); }
    int RowOf(const std::string& caption) const
    {
        const auto& rows = Form->FileListView1->Rows().Rows();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].Caption == caption)
                return static_cast<int>(i);
        return -1;
    }
};

// A key pressed on a widget, seen by the window's filters as a typed one.
inline void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(widget, &event);
}

// A window with groups of files listed by hand (no search), for the results list's handlers.
class ResultsWindow : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        Open();
        Form->Timer1->stop();
    }

    // Each group of 100-byte files of one content; "name@3" is modified three hours later.
    void ListGroups(std::initializer_list<std::initializer_list<const char*>> groups)
    {
        unsigned seed = 1;
        for (const auto& group : groups) {
            if (Form->RowCount() > 0)
                Form->AddRow("");
            Form->AddRow(kGroupHeaderCaption);
            for (std::string name : group) {
                const std::size_t at = name.find('@');
                const int hours = at == std::string::npos ? 0 : std::stoi(name.substr(at + 1));
                name = name.substr(0, at);
                File("c/" + name, 100, seed);
                FTree.SetTime("c/" + name, 1700000000 + 3600 * hours);
                std::int64_t size = 0;
                ASSERT_TRUE(Form->AddFile("C:\\" + name, size)) << name;
            }
            ++seed;
        }
    }
    void Select(const std::string& name) { Form->FileListView1->SelectRow(RowOf("C:\\" + name)); }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Key(Form->FileListView1, key, modifiers);
    }
    void DeleteKey(const std::string& name, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        TMessageBox::AnswerNext(mrYes);
        Select(name);
        Press(Qt::Key_Delete, modifiers);
    }
    bool Exists(const std::string& name) const
    {
        return std::filesystem::exists(FTree.Path("c/" + name));
    }
    // The entries of the context menu that Shift+F10 opens on the current row; Choose
    // triggers the one of that text.
    QList<QAction*> MenuActions()
    {
        Press(Qt::Key_F10, Qt::ShiftModifier);
        auto* menu = Form->FileListView1->findChild<QMenu*>("mnuResults");
        QList<QAction*> actions;
        for (QAction* action : menu && menu->isVisible() ? menu->actions() : actions)
            if (!action->isSeparator())
                actions << action;
        if (menu)
            menu->close();
        return actions;
    }
    void Choose(const QString& text)
    {
        for (QAction* action : MenuActions())
            if (action->text() == text)
                action->trigger();
        QApplication::processEvents();
    }
    bool InTrash(const std::string& n) const
    {
        return std::filesystem::exists(FTree.Path("data/Trash/files/" + n));
    }
};
