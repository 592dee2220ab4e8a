#include <sys/stat.h>

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>

#include "dialogs/DialogFixture.h"
#include "dialogs/FileProp.h"

namespace {

namespace fs = std::filesystem;

// Windows file time of a POSIX time.
std::uint64_t FileTimeOf(std::int64_t unixSeconds)
{
    return static_cast<std::uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
}

std::string Text(const QLabel* label)
{
    return label->text().toStdString();
}

TEST(FilePropTexts, SizeTexts)
{
    SetFormatLocale("C");
    EXPECT_EQ(SizeText(0), "0 bytes (0 bytes)");
    EXPECT_EQ(SizeText(500), "500 bytes (500 bytes)");
    EXPECT_EQ(SizeText(1023), "1023 bytes (1,023 bytes)");
    EXPECT_EQ(SizeText(1024), "1.00 KB (1,024 bytes)");
    EXPECT_EQ(SizeText(1536), "1.50 KB (1,536 bytes)");
    EXPECT_EQ(SizeText(1048575), "1,024.00 KB (1,048,575 bytes)");
    EXPECT_EQ(SizeText(1048576), "1.00 MB (1,048,576 bytes)");
    // Past 2 GiB nothing wraps.
    EXPECT_EQ(SizeText(3221225472LL), "3,072.00 MB (3,221,225,472 bytes)");
    SetFormatLocale("de_DE");
    EXPECT_EQ(SizeText(1536), "1,50 KB (1.536 bytes)");
    SetFormatLocale("C");
}

TEST(FilePropTexts, FileTimeTexts)
{
    SetFormatLocale("C");
    EXPECT_EQ(FormatFileTime(0), "(unknown)");
    // 2001-02-22 00:00:00 UTC: shown in UTC, the time of day kept.
    EXPECT_EQ(FormatFileTime(FileTimeOf(982800000)), "2001-Feb-22 00:00:00");
    EXPECT_EQ(FormatFileTime(FileTimeOf(982800000 + 3723)), "2001-Feb-22 01:02:03");
    EXPECT_EQ(FileTimeDatePart("2001-Feb-22 01:02:03"), "2001-Feb-22");
    EXPECT_EQ(FileTimeDatePart("(unknown)"), "(unknown)");
    // A longer month name keeps the whole date.
    EXPECT_EQ(FileTimeDatePart("2001-sept.-22 01:02:03"), "2001-sept.-22");
}

TEST(FilePropTexts, TypeAndFolderFromThePath)
{
    EXPECT_EQ(TypeFromExtension("notes.txt"), "TXT file");
    EXPECT_EQ(TypeFromExtension("archive.tar.Gz"), "GZ file");
    EXPECT_EQ(TypeFromExtension("README"), " file");
    EXPECT_EQ(TypeFromExtension("trailing."), " file");
    EXPECT_EQ(FolderPart("C:\\Data\\report.txt"), "C:\\Data\\");
    EXPECT_EQ(FolderPart("C:report.txt"), "C:");
    EXPECT_EQ(FolderPart("report.txt"), "");
}

class FilePropDialog : public DialogFixture {
protected:
    TfrmFileProperties Dialog;

    void ShowFor(const std::string& relative)
    {
        Dialog.FileName = OnC(relative);
        Dialog.show();
    }
    void TearDown() override
    {
        Dialog.hide();
        DialogFixture::TearDown();
    }
};

TEST_F(FilePropDialog, GeneralPageOfAPlainFile)
{
    Tree.WriteSized("Data/report.txt", 1024);
    Tree.SetTime("Data/report.txt", 982800000);  // midnight UTC
    ShowFor("Data/report.txt");

    EXPECT_TRUE(Dialog.PageControl1->isVisible());
    EXPECT_FALSE(Dialog.pnlError->isVisible());
    EXPECT_EQ(Dialog.PageControl1->currentWidget(), Dialog.tabGeneral);
    EXPECT_FALSE(Dialog.VersionTabVisible());
    EXPECT_EQ(Dialog.windowTitle().toStdString(), "report.txt properties");
    EXPECT_EQ(Text(Dialog.lblName), "report.txt");
    EXPECT_EQ(Text(Dialog.lblDOSName), "report.txt");  // no short names: its own
    EXPECT_EQ(Text(Dialog.lblLocation), "C:\\Data\\");
    EXPECT_EQ(Dialog.lblLocation->toolTip().toStdString(), "C:\\Data\\");
    EXPECT_EQ(Text(Dialog.lblSize), "1.00 KB (1,024 bytes)");
    EXPECT_EQ(Text(Dialog.lblModified), "2001-Feb-22 00:00:00");
    EXPECT_EQ(Text(Dialog.lblAccessed), "2001-Feb-22");
    // Birth times exist on some file systems only.
    const std::string created = Text(Dialog.lblCreated);
    EXPECT_TRUE(created == "(unknown)" || created.size() == 20) << created;
    EXPECT_FALSE(Dialog.chkCompressed->isVisible());
    EXPECT_FALSE(Dialog.lblCompressedSize->isVisible());
    EXPECT_FALSE(Dialog.Image1->pixmap().isNull());
    EXPECT_EQ(Dialog.lblType->text().toStdString().find(" file"), std::string::npos);
}

TEST_F(FilePropDialog, UnknownContentIsTypedByItsExtension)
{
    const std::string binary("\x01\x02\x03\xfe\xff\x00\x13\x37", 8);
    Tree.WriteFile("sample.zzqx", binary);
    Tree.WriteFile("noextension", binary);
    ShowFor("sample.zzqx");
    EXPECT_EQ(Text(Dialog.lblType), "ZZQX file");
    Dialog.hide();
    ShowFor("noextension");
    EXPECT_EQ(Text(Dialog.lblType), " file");
}

TEST_F(FilePropDialog, AttributeBoxesCannotBeChanged)
{
    Tree.WriteFile("locked.txt", "x");
    chmod(Tree.Path("locked.txt").c_str(), 0444);
    Tree.WriteFile(".hidden", "x");
    ShowFor("locked.txt");
    EXPECT_TRUE(Dialog.chkReadOnly->isChecked());
    EXPECT_TRUE(Dialog.chkArchive->isChecked());
    EXPECT_FALSE(Dialog.chkHidden->isChecked());
    EXPECT_FALSE(Dialog.chkSystem->isChecked());
    for (QCheckBox* box :
         {Dialog.chkReadOnly, Dialog.chkArchive, Dialog.chkHidden, Dialog.chkSystem}) {
        const bool before = box->isChecked();
        box->click();
        EXPECT_EQ(box->isChecked(), before) << box->objectName().toStdString();
    }
    Dialog.hide();
    ShowFor(".hidden");
    EXPECT_FALSE(Dialog.chkReadOnly->isChecked());
    Dialog.chkReadOnly->click();
    EXPECT_FALSE(Dialog.chkReadOnly->isChecked());
    EXPECT_TRUE(Dialog.chkHidden->isChecked());
    // Nothing was written to the file.
    struct stat st {};
    ASSERT_EQ(stat(Tree.Path("locked.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
}

TEST_F(FilePropDialog, AMissingFileShowsTheErrorPanel)
{
    ShowFor("gone/missing file.txt");
    EXPECT_FALSE(Dialog.PageControl1->isVisible());
    EXPECT_TRUE(Dialog.pnlError->isVisible());
    EXPECT_EQ(Dialog.windowTitle().toStdString(), "Error - can't find this file");
    QString shown = Dialog.pnlError->text();
    shown.remove(QChar(0x200B));
    EXPECT_EQ(shown.toStdString(), "C:\\gone\\missing file.txt");
    // A path on no drive is just as missing.
    Dialog.hide();
    Dialog.FileName = "Q:\\nowhere.txt";
    Dialog.show();
    EXPECT_TRUE(Dialog.pnlError->isVisible());
}

TEST_F(FilePropDialog, HostileNamesAreShownAsText)
{
    const std::string name = "<b>bold<i>&amp;.txt";
    Tree.WriteFile(name, "x");
    ShowFor(name);
    EXPECT_EQ(Dialog.lblName->textFormat(), Qt::PlainText);
    EXPECT_EQ(Text(Dialog.lblName), name);
    EXPECT_EQ(Dialog.windowTitle().toStdString(), name + " properties");
}

class FilePropVersionPage : public FilePropDialog {
protected:
    void SetUp() override
    {
        FilePropDialog::SetUp();
        const char* sample = "/usr/x86_64-w64-mingw32/lib/zlib1.dll";
        if (!fs::exists(sample))
            GTEST_SKIP() << "make test installs " << sample;
        fs::copy_file(sample, Tree.Path("zlib1.dll"));
    }
};

TEST_F(FilePropVersionPage, APeFileShowsItsVersionStrings)
{
    ShowFor("zlib1.dll");
    EXPECT_TRUE(Dialog.VersionTabVisible());
    EXPECT_EQ(Text(Dialog.lblFileVersion), "1.2.13");
    EXPECT_EQ(Text(Dialog.lblFileDescription), "zlib data compression library");
    EXPECT_EQ(Text(Dialog.lblLegalCopyright), "(C) 1995-2022 Jean-loup Gailly & Mark Adler");
    // Only the keys that have a value, in the fixed order (this file has no CompanyName).
    QStringList names;
    for (int i = 0; i < Dialog.lbxNames->count(); ++i) names << Dialog.lbxNames->item(i)->text();
    EXPECT_EQ(names, (QStringList{"Comments", "InternalName", "OriginalFilename", "ProductName",
                                  "ProductVersion"}));
    Dialog.lbxNames->setCurrentRow(3);
    EXPECT_EQ(Dialog.memValues->toPlainText().toStdString(), "zlib");
    Dialog.lbxNames->setCurrentRow(0);
    EXPECT_EQ(Dialog.memValues->toPlainText().toStdString(),
              "For more information visit http://www.zlib.net/");
}

TEST_F(FilePropVersionPage, EveryShowingStartsFromItsOwnFile)
{
    Tree.WriteFile("plain.txt", "text");
    ShowFor("zlib1.dll");
    Dialog.lbxNames->setCurrentRow(0);
    ASSERT_NE(Dialog.VersionValues(), nullptr);
    Dialog.hide();
    EXPECT_EQ(Dialog.VersionValues(), nullptr);  // freed while hidden

    ShowFor("plain.txt");
    EXPECT_FALSE(Dialog.VersionTabVisible());
    EXPECT_EQ(Dialog.lbxNames->count(), 0);
    EXPECT_TRUE(Dialog.lblFileVersion->text().isEmpty());
    EXPECT_TRUE(Dialog.memValues->toPlainText().isEmpty());
}

TEST_F(FilePropDialog, ModalResultsOfOkAndTheCloseBox)
{
    Tree.WriteFile("a.txt", "x");
    Dialog.FileName = OnC("a.txt");
    QTimer::singleShot(0, &Dialog, [this] { Dialog.btnOK->click(); });
    EXPECT_EQ(Dialog.exec(), mrOk);
    QTimer::singleShot(0, &Dialog, [this] { Dialog.close(); });
    EXPECT_EQ(Dialog.exec(), mrCancel);
}

TEST_F(FilePropDialog, NoCaptionIsCutOff)
{
    // No caption is cut off at the dialog's font.
    for (QLabel* label : Dialog.findChildren<QLabel*>()) {
        if (label->objectName().startsWith("Label")) {
            EXPECT_GE(label->width(), label->sizeHint().width())
                << label->objectName().toStdString();
        }
    }
    for (QCheckBox* box : Dialog.findChildren<QCheckBox*>()) {
        EXPECT_GE(box->width(), box->sizeHint().width()) << box->objectName().toStdString();
    }
}

}  // namespace
