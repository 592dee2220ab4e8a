#include <sys/stat.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <ctime>
#include <filesystem>

#include "dialogs/DialogFixture.h"
#include "dialogs/FileProp.h"
#include "platform/ShellInfo.h"
#include "views/FileRow.h"

namespace {

std::string Text(const QLabel* label)
{
    return label->text().toStdString();
}

// Three hours east of UTC, so that a time left in UTC shows.
class LocalTime {
    TEnvGuard FZone{"TZ", "UTC-3"};

public:
    LocalTime() { tzset(); }
    ~LocalTime() { tzset(); }
};

TEST(FilePropTexts, SizesTimesTypesAndFolders)
{
    SetFormatLocale("C");
    const LocalTime zone;
    EXPECT_EQ(SizeText(1023), "1023 bytes (1,023 bytes)");
    EXPECT_EQ(SizeText(1048576), "1.00 MB (1,048,576 bytes)");
    EXPECT_EQ(SizeText(3221225472LL), "3,072.00 MB (3,221,225,472 bytes)");  // no wrap at 2 GiB
    // Windows file time of 2001-02-22 01:02:03 UTC, shown in local time.
    const std::uint64_t time = (982800000ULL + 3723ULL + 11644473600ULL) * 10000000ULL;
    EXPECT_EQ(FormatFileTime(0), "(unknown)");
    EXPECT_EQ(FormatFileTime(time), "2001-Feb-22 04:02:03");
    EXPECT_EQ(FileTimeDatePart("2001-sept.-22 01:02:03"), "2001-sept.-22");
    EXPECT_EQ(FileTimeDatePart("(unknown)"), "(unknown)");
    EXPECT_EQ(TypeFromExtension("archive.tar.Gz"), "GZ file");
    EXPECT_EQ(TypeFromExtension("README"), " file");
    EXPECT_EQ(FolderPart("C:report.txt"), "C:");
    EXPECT_EQ(FolderPart("report.txt"), "");
}

class FilePropDialog : public DialogFixture {
protected:
    const LocalTime Zone;
    TfrmFileProperties Dialog;

    void ShowFor(const std::string& relative)
    {
        Dialog.hide();
        Dialog.FileName = OnC(relative);
        Dialog.show();
    }
    void TearDown() override
    {
        Dialog.hide();
        DialogFixture::TearDown();
    }
};

TEST_F(FilePropDialog, GeneralPageAndTheErrorPanel)
{
    ShowFor("gone/missing file.txt");
    EXPECT_FALSE(Dialog.PageControl1->isVisible());
    EXPECT_EQ(Dialog.windowTitle().toStdString(), "Error - can't find this file");
    EXPECT_EQ(Dialog.pnlError->text().remove(QChar(0x200B)), "C:\\gone\\missing file.txt");
    Tree.WriteSized("Data/report.txt", 1024);
    Tree.SetTime("Data/report.txt", 982800000);  // midnight UTC
    ShowFor("Data/report.txt");
    EXPECT_FALSE(Dialog.VersionTabVisible());
    EXPECT_EQ(Text(Dialog.lblLocation), "C:\\Data\\");
    EXPECT_EQ(Text(Dialog.lblSize), "1.00 KB (1,024 bytes)");
    EXPECT_EQ(Text(Dialog.lblModified), "2001-Feb-22 03:00:00") << "local time";

    // Unknown contents typed by the extension, as in the results list; a hostile name shown
    // as text, and whole in its tool tip when cut.
    const std::string name = "<b>bold<i>&amp;" + std::string(60, 'n') + ".zzqx";
    Tree.WriteFile(name, std::string("\x01\x02\x03\xfe\xff\x00\x13\x37", 8));
    ShowFor(name);
    EXPECT_EQ(Text(Dialog.lblType), "ZZQX file");
    TResultRows rows;
    std::int64_t size = 0;
    ASSERT_TRUE(AddFile(rows, OnC(name), size));
    EXPECT_EQ(rows.Row(0).SubItems[fcType - 1], "ZZQX file");
    EXPECT_EQ(Dialog.lblName->toolTip().toStdString(), name);
    EXPECT_EQ(Dialog.lblName->textFormat(), Qt::PlainText);
    EXPECT_EQ(Text(Dialog.lblName), name);
    EXPECT_EQ(Dialog.windowTitle().toStdString(), name + " properties");

    // The attribute boxes show the file and cannot change it; no caption is cut off.
    Tree.WriteFile("locked.txt", "x");
    chmod(Tree.Path("locked.txt").c_str(), 0444);
    ShowFor("locked.txt");
    EXPECT_TRUE(Dialog.chkReadOnly->isChecked());
    for (QCheckBox* box :
         {Dialog.chkReadOnly, Dialog.chkArchive, Dialog.chkHidden, Dialog.chkSystem}) {
        const bool before = box->isChecked();
        box->click();
        EXPECT_EQ(box->isChecked(), before) << box->objectName().toStdString();
    }
    EXPECT_EQ(std::filesystem::status(Tree.Path("locked.txt")).permissions(),
              std::filesystem::perms(0444))
        << "nothing was written to the file";
    for (QWidget* w : Dialog.findChildren<QWidget*>()) {
        if (qobject_cast<QCheckBox*>(w) || w->objectName().startsWith("Label")) {
            EXPECT_GE(w->width(), w->sizeHint().width()) << w->objectName().toStdString();
        }
    }
}

TEST_F(FilePropDialog, VersionPageOfAPeFileAndEveryShowingStartsAfresh)
{
    const char* sample = "/usr/x86_64-w64-mingw32/lib/zlib1.dll";
    if (!std::filesystem::exists(sample))
        GTEST_SKIP() << "make test installs " << sample;
    std::filesystem::copy_file(sample, Tree.Path("zlib1.dll"));
    ShowFor("zlib1.dll");
    EXPECT_TRUE(Dialog.VersionTabVisible());
    EXPECT_EQ(Text(Dialog.lblFileVersion), "1.2.13");
    // Only keys with a value, in fixed order (no CompanyName here).
    QStringList names;
    for (int i = 0; i < Dialog.lbxNames->count(); ++i) names << Dialog.lbxNames->item(i)->text();
    EXPECT_EQ(names, (QStringList{"Comments", "InternalName", "OriginalFilename", "ProductName",
                                  "ProductVersion"}));
    Dialog.lbxNames->setCurrentRow(0);
    EXPECT_EQ(Dialog.memValues->toPlainText(), "For more information visit http://www.zlib.net/");

    Tree.WriteFile("plain.txt", "text");
    ShowFor("plain.txt");
    EXPECT_FALSE(Dialog.VersionTabVisible());
    EXPECT_EQ(Dialog.lbxNames->count(), 0);
    EXPECT_TRUE(Dialog.memValues->toPlainText().isEmpty());
}

}  // namespace
