#include <sys/stat.h>

#include <QCheckBox>
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

std::string Text(const QLabel* label) { return label->text().toStdString(); }

TEST(FilePropTexts, Sizes)
{
    SetFormatLocale("C");
    EXPECT_EQ(SizeText(1023), "1023 bytes (1,023 bytes)");
    EXPECT_EQ(SizeText(1024), "1.00 KB (1,024 bytes)");
    EXPECT_EQ(SizeText(1048575), "1,024.00 KB (1,048,575 bytes)");
    EXPECT_EQ(SizeText(1048576), "1.00 MB (1,048,576 bytes)");
    EXPECT_EQ(SizeText(3221225472LL), "3,072.00 MB (3,221,225,472 bytes)");  // no wrap at 2 GiB
    SetFormatLocale("de_DE");
    EXPECT_EQ(SizeText(1536), "1,50 KB (1.536 bytes)");
    SetFormatLocale("C");
}

TEST(FilePropTexts, TimesTypesAndFolders)
{
    SetFormatLocale("C");
    // Windows file times of 2001-02-22 00:00:00 and 01:02:03 UTC, shown in UTC.
    const std::uint64_t midnight = (982800000ULL + 11644473600ULL) * 10000000ULL;
    EXPECT_EQ(FormatFileTime(0), "(unknown)");
    EXPECT_EQ(FormatFileTime(midnight), "2001-Feb-22 00:00:00");
    EXPECT_EQ(FormatFileTime(midnight + 3723ULL * 10000000ULL), "2001-Feb-22 01:02:03");
    EXPECT_EQ(FileTimeDatePart("2001-Feb-22 01:02:03"), "2001-Feb-22");
    EXPECT_EQ(FileTimeDatePart("(unknown)"), "(unknown)");
    EXPECT_EQ(FileTimeDatePart("2001-sept.-22 01:02:03"), "2001-sept.-22");

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

TEST_F(FilePropDialog, GeneralPageOfAPlainFile)
{
    Tree.WriteSized("Data/report.txt", 1024);
    Tree.SetTime("Data/report.txt", 982800000);  // midnight UTC
    ShowFor("Data/report.txt");
    EXPECT_FALSE(Dialog.pnlError->isVisible());
    EXPECT_EQ(Dialog.PageControl1->currentWidget(), Dialog.tabGeneral);
    EXPECT_FALSE(Dialog.VersionTabVisible());
    EXPECT_EQ(Dialog.windowTitle().toStdString(), "report.txt properties");
    EXPECT_EQ(Text(Dialog.lblName), "report.txt");
    EXPECT_EQ(Text(Dialog.lblDOSName), "report.txt");  // no short names: its own
    EXPECT_EQ(Text(Dialog.lblLocation), "C:\\Data\\");
    EXPECT_EQ(Text(Dialog.lblSize), "1.00 KB (1,024 bytes)");
    EXPECT_EQ(Text(Dialog.lblModified), "2001-Feb-22 00:00:00");
    EXPECT_EQ(Text(Dialog.lblAccessed), "2001-Feb-22");
    EXPECT_FALSE(Dialog.chkCompressed->isVisible());
    EXPECT_EQ(Text(Dialog.lblType).find(" file"), std::string::npos) << "a known type";

    // Unknown contents are typed by the extension; hostile names are shown as text.
    const std::string name = "<b>bold<i>&amp;.zzqx";
    Tree.WriteFile(name, std::string("\x01\x02\x03\xfe\xff\x00\x13\x37", 8));
    ShowFor(name);
    EXPECT_EQ(Text(Dialog.lblType), "ZZQX file");
    EXPECT_EQ(Dialog.lblName->textFormat(), Qt::PlainText);
    EXPECT_EQ(Text(Dialog.lblName), name);
    EXPECT_EQ(Dialog.windowTitle().toStdString(), name + " properties");
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
    ShowFor(".hidden");
    EXPECT_TRUE(Dialog.chkHidden->isChecked());
    EXPECT_FALSE(Dialog.chkReadOnly->isChecked());
    struct stat st {};
    ASSERT_EQ(stat(Tree.Path("locked.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u) << "nothing was written to the file";
}

TEST_F(FilePropDialog, AMissingFileShowsTheErrorPanel)
{
    ShowFor("gone/missing file.txt");
    EXPECT_FALSE(Dialog.PageControl1->isVisible());
    EXPECT_TRUE(Dialog.pnlError->isVisible());
    EXPECT_EQ(Dialog.windowTitle().toStdString(), "Error - can't find this file");
    EXPECT_EQ(Dialog.pnlError->text().remove(QChar(0x200B)), "C:\\gone\\missing file.txt");
    Dialog.hide();
    Dialog.FileName = "Q:\\nowhere.txt";  // on no drive: just as missing
    Dialog.show();
    EXPECT_TRUE(Dialog.pnlError->isVisible());
}

TEST_F(FilePropDialog, VersionPageOfAPeFileAndEveryShowingStartsAfresh)
{
    const char* sample = "/usr/x86_64-w64-mingw32/lib/zlib1.dll";
    if (!std::filesystem::exists(sample)) GTEST_SKIP() << "make test installs " << sample;
    std::filesystem::copy_file(sample, Tree.Path("zlib1.dll"));
    ShowFor("zlib1.dll");
    EXPECT_TRUE(Dialog.VersionTabVisible());
    EXPECT_EQ(Text(Dialog.lblFileVersion), "1.2.13");
    EXPECT_EQ(Text(Dialog.lblLegalCopyright), "(C) 1995-2022 Jean-loup Gailly & Mark Adler");
    // Only the keys that have a value, in the fixed order (this file has no CompanyName).
    QStringList names;
    for (int i = 0; i < Dialog.lbxNames->count(); ++i) names << Dialog.lbxNames->item(i)->text();
    EXPECT_EQ(names, (QStringList{"Comments", "InternalName", "OriginalFilename", "ProductName",
                                  "ProductVersion"}));
    Dialog.lbxNames->setCurrentRow(0);
    EXPECT_EQ(Dialog.memValues->toPlainText(), "For more information visit http://www.zlib.net/");
    Dialog.hide();
    EXPECT_EQ(Dialog.VersionValues(), nullptr) << "freed while hidden";

    Tree.WriteFile("plain.txt", "text");
    ShowFor("plain.txt");
    EXPECT_FALSE(Dialog.VersionTabVisible());
    EXPECT_EQ(Dialog.lbxNames->count(), 0);
    EXPECT_TRUE(Dialog.lblFileVersion->text().isEmpty());
    EXPECT_TRUE(Dialog.memValues->toPlainText().isEmpty());
}

TEST_F(FilePropDialog, ModalResultsAndNoCaptionIsCutOff)
{
    Tree.WriteFile("a.txt", "x");
    Dialog.FileName = OnC("a.txt");
    QTimer::singleShot(0, &Dialog, [this] { Dialog.btnOK->click(); });
    EXPECT_EQ(Dialog.exec(), mrOk);
    QTimer::singleShot(0, &Dialog, [this] { Dialog.close(); });
    EXPECT_EQ(Dialog.exec(), mrCancel) << "the close box";

    for (QLabel* label : Dialog.findChildren<QLabel*>()) {
        if (label->objectName().startsWith("Label")) {
            EXPECT_GE(label->width(), label->sizeHint().width())
                << label->objectName().toStdString();
        }
    }
    for (QCheckBox* box : Dialog.findChildren<QCheckBox*>())
        EXPECT_GE(box->width(), box->sizeHint().width()) << box->objectName().toStdString();
}

}  // namespace
