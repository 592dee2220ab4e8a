#include "dialogs/FileProp.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include "platform/FileFind.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/ShellInfo.h"
#include "platform/VersionBlock.h"
#include "platform/VersionQuery.h"
#include "text/DateTime.h"
#include "text/Format.h"
#include "text/PathText.h"
#include "text/TextUtil.h"
#include "views/MessageBox.h"
#include "views/WindowFont.h"

namespace {

// The form's client area; the outer size is 369 by 437 with the title bar and borders.
constexpr int kClientWidth = 361;
constexpr int kClientHeight = 410;
constexpr int kPageWidth = 329;  // right edge of the controls inside a page

QString Shown(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString NativeName(const std::string& native)
{
    return QFile::decodeName(QByteArray(native.data(), static_cast<qsizetype>(native.size())));
}

template <class T>
T* Named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A caption that sizes itself to its text.
QLabel* Caption(QWidget* parent, const char* name, const char* text, int left, int top)
{
    auto* label = Named(new QLabel(QString::fromLatin1(text), parent), name);
    label->adjustSize();
    label->move(left, top);
    return label;
}

// A value label from left to the right edge of the page. File names can hold anything, so
// the text is never read as markup.
QLabel* Value(QWidget* parent, const char* name, int left, int top)
{
    auto* label = Named(new QLabel(parent), name);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(left, top, kPageWidth - left, label->fontMetrics().height());
    return label;
}

QFrame* Bevel(QWidget* parent, const char* name, int top)
{
    auto* bevel = Named(new QFrame(parent), name);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(8, top, 321, 2);
    return bevel;
}

QCheckBox* AttributeBox(QWidget* parent, const char* name, const char* text, int left, int top)
{
    auto* box = Named(new QCheckBox(QString::fromLatin1(text), parent), name);
    box->setGeometry(left, top, std::max(81, box->sizeHint().width()), 17);
    return box;
}

// The panel wraps long paths at their separators instead of cutting them off.
QString PanelText(const std::string& path)
{
    QString text = Shown(path);
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\u200B"));
    return text;
}

// A value cut off at the label's edge shows its whole text as the label's tool tip.
void TipWhenCut(QLabel* label)
{
    const bool cut =
        label->fontMetrics().horizontalAdvance(label->text()) > label->contentsRect().width();
    label->setToolTip(cut ? label->text() : QString());
}

}  // namespace

std::string SizeText(std::int64_t size)
{
    std::string text;
    if (size < 1024) {
        text = std::to_string(size) + " bytes";
    } else if (size < 1048576) {
        text = FormatNumber2(static_cast<double>(size) / 1024.0) + " KB";
    } else {
        text = FormatNumber2(static_cast<double>(size) / 1048576.0) + " MB";
    }
    return text + " (" + FormatInt(size) + " bytes)";
}

std::string FormatFileTime(std::uint64_t fileTime)
{
    if (fileTime == 0)
        return "(unknown)";
    // Local time, as the results list shows it.
    constexpr std::uint64_t kTicksPerSecond = 10000000, kSecondsFrom1601To1970 = 11644473600;
    const auto seconds = static_cast<std::int64_t>(fileTime / kTicksPerSecond) -
                         static_cast<std::int64_t>(kSecondsFrom1601To1970);
    return FormatLongStamp(UnixToLocalDateTime(seconds));
}

std::string FileTimeDatePart(const std::string& fileTimeText)
{
    // Month names of some locales are longer than three letters (or several bytes long), so
    // the date ends at the blank before the time, not after a fixed count of characters.
    const auto blank = fileTimeText.rfind(' ');
    return blank == std::string::npos ? fileTimeText : fileTimeText.substr(0, blank);
}

std::string FolderPart(const std::string& path)
{
    return std::string(PathFolder(path));
}

TfrmFileProperties::TfrmFileProperties(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFileProperties"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(WindowFont());
    setFixedSize(kClientWidth, kClientHeight);
    move(227, 252);

    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    PageControl1->setGeometry(8, 8, 345, 361);
    tabGeneral = Named(new QWidget, "tabGeneral");
    tabVersion = Named(new QWidget, "tabVersion");
    PageControl1->addTab(tabGeneral, QStringLiteral("General"));
    PageControl1->addTab(tabVersion, QStringLiteral("Version"));
    BuildGeneralPage();
    BuildVersionPage();
    PageControl1->setVisible(false);

    pnlError = Named(new QLabel(this), "pnlError");
    pnlError->setGeometry(8, 120, 345, 73);
    pnlError->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnlError->setTextFormat(Qt::PlainText);
    pnlError->setAlignment(Qt::AlignCenter);
    pnlError->setWordWrap(true);

    btnOK = AddBottomButton("btnOK", "OK", 288);
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    setTabOrder(PageControl1, btnOK);
}

TfrmFileProperties::~TfrmFileProperties() = default;

QPushButton* TfrmFileProperties::AddBottomButton(const char* name, const char* caption, int left)
{
    auto* button = Named(new QPushButton(QString::fromLatin1(caption), this), name);
    button->setAutoDefault(false);
    button->setGeometry(left, 376, 65, 25);
    return button;
}

void TfrmFileProperties::BuildGeneralPage()
{
    QWidget* page = tabGeneral;
    Image1 = Named(new QLabel(page), "Image1");
    Image1->setGeometry(24, 8, 32, 32);
    lblName = Value(page, "lblName", 104, 16);
    Bevel(page, "Bevel3", 48);
    Caption(page, "Label1", "Type:", 16, 56);
    lblType = Value(page, "lblType", 96, 56);
    Caption(page, "Label2", "Location:", 16, 76);
    lblLocation = Value(page, "lblLocation", 96, 76);
    Caption(page, "Label3", "Size:", 16, 96);
    lblSize = Value(page, "lblSize", 96, 96);
    lblCompressedSizeCaption =
        Caption(page, "lblCompressedSizeCaption", "Compressed Size: ", 16, 116);
    lblCompressedSize = Value(page, "lblCompressedSize",
                              std::max(96, lblCompressedSizeCaption->geometry().right() + 1), 116);
    Bevel(page, "Bevel1", 146);
    Caption(page, "Label4", "MS-DOS name:", 16, 160);
    lblDOSName = Value(page, "lblDOSName", 96, 160);
    Caption(page, "Label5", "Created:", 16, 180);
    lblCreated = Value(page, "lblCreated", 96, 180);
    Caption(page, "Label6", "Modified:", 16, 200);
    lblModified = Value(page, "lblModified", 96, 200);
    Caption(page, "Label7", "Accessed:", 16, 220);
    lblAccessed = Value(page, "lblAccessed", 96, 220);
    Bevel(page, "Bevel2", 248);
    Caption(page, "Label8", "Attributes:", 16, 262);
    chkReadOnly = AttributeBox(page, "chkReadOnly", "Read-only", 96, 262);
    chkHidden = AttributeBox(page, "chkHidden", "Hidden", 192, 262);
    chkArchive = AttributeBox(page, "chkArchive", "Archive", 96, 284);
    chkSystem = AttributeBox(page, "chkSystem", "System", 192, 284);
    chkCompressed = AttributeBox(page, "chkCompressed", "Compressed", 96, 306);

    // The boxes only show: a click puts the stored state back.
    connect(chkReadOnly, &QCheckBox::clicked, this, [this] { chkReadOnlyClick(); });
    connect(chkArchive, &QCheckBox::clicked, this, [this] { chkArchiveClick(); });
    connect(chkHidden, &QCheckBox::clicked, this, [this] { chkHiddenClick(); });
    connect(chkSystem, &QCheckBox::clicked, this, [this] { chkSystemClick(); });
    connect(chkCompressed, &QCheckBox::clicked, this, [this] { chkCompressedClick(); });
}

void TfrmFileProperties::BuildVersionPage()
{
    QWidget* page = tabVersion;
    Caption(page, "Label9", "File version:", 8, 16);
    lblFileVersion = Value(page, "lblFileVersion", 72, 16);
    Caption(page, "Label10", "Description:", 8, 48);
    lblFileDescription = Value(page, "lblFileDescription", 72, 48);
    Caption(page, "Label11", "Copyright:", 8, 80);
    lblLegalCopyright = Value(page, "lblLegalCopyright", 72, 80);

    grpOtherVersionInformation =
        Named(new QGroupBox(QStringLiteral(" Other version information "), page),
              "grpOtherVersionInformation");
    grpOtherVersionInformation->setGeometry(8, 112, 313, 193);
    QWidget* group = grpOtherVersionInformation;
    QLabel* namesLabel = Caption(group, "Label12", "Item name:", 16, 24);
    lbxNames = Named(new QListWidget(group), "lbxNames");
    namesLabel->setBuddy(lbxNames);
    lbxNames->setGeometry(16, 40, 121, 137);
    QLabel* valueLabel = Caption(group, "Label13", "Value:", 152, 24);
    memValues = Named(new QPlainTextEdit(group), "memValues");
    valueLabel->setBuddy(memValues);
    memValues->setGeometry(152, 40, 145, 137);
    memValues->setReadOnly(true);
    QPalette menuColoured = memValues->palette();
    menuColoured.setColor(QPalette::Base, menuColoured.color(QPalette::Window));
    memValues->setPalette(menuColoured);
    connect(lbxNames, &QListWidget::currentRowChanged, this, [this] { lbxNamesClick(); });
}

bool TfrmFileProperties::VersionTabVisible() const
{
    return PageControl1->isTabVisible(PageControl1->indexOf(tabVersion));
}

void TfrmFileProperties::showEvent(QShowEvent* event)
{
    // Spontaneous show events (a window restored from the task bar) are no new showing.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfrmFileProperties::hideEvent(QHideEvent* event)
{
    if (!event->spontaneous())
        FormHide();
    QDialog::hideEvent(event);
}

void TfrmFileProperties::reject()
{
    done(mrCancel);
}

void TfrmFileProperties::btnOKClick()
{
    done(mrOk);
}

void TfrmFileProperties::FormShow()
{
    FVersionValues = std::make_unique<TStringList>();
    PageControl1->setTabVisible(PageControl1->indexOf(tabVersion), false);
    PageControl1->setCurrentWidget(tabGeneral);
    ClearShownValues();

    TSearchRec rec;
    if (!FindFile(FileName, rec, /*withCompression=*/true)) {
        ShowMissingFile();
        return;
    }
    PageControl1->setVisible(true);
    pnlError->setVisible(false);

    FillVersionPage();
    FillIconAndType();
    const std::string folder = FolderPart(FileName);
    lblLocation->setText(Shown(folder));
    // Beside the program's form, the native folder the user knows.
    const auto nativeFolder = ToNativePath(folder);
    lblLocation->setToolTip(
        Shown(folder) + (nativeFolder ? QStringLiteral("\n") + Shown(*nativeFolder) : QString()));
    lblName->setText(Shown(rec.Name));
    TipWhenCut(lblName);
    lblDOSName->setText(Shown(rec.ShortName.empty() ? rec.Name : rec.ShortName));
    setWindowTitle(Shown(rec.Name + " properties"));
    lblSize->setText(Shown(SizeText(rec.Size)));
    lblModified->setText(Shown(FormatFileTime(rec.LastWriteTime)));
    lblCreated->setText(Shown(FormatFileTime(rec.CreationTime)));
    lblAccessed->setText(Shown(FileTimeDatePart(FormatFileTime(rec.LastAccessTime))));
    FillAttributes(rec.Attr);
    btnOK->setFocus();
}

void TfrmFileProperties::ShowMissingFile()
{
    PageControl1->setVisible(false);
    setWindowTitle(QStringLiteral("Error - can't find this file"));
    pnlError->setText(PanelText(FileName));
    pnlError->setVisible(true);
    btnOK->setFocus();
}

// Every showing starts clean: what an earlier file put on the pages never shows for this one.
void TfrmFileProperties::ClearShownValues()
{
    lbxNames->clear();
    FVersionValues->Clear();
    memValues->clear();
    Image1->clear();
    lblFileVersion->clear();
    lblFileDescription->clear();
    lblLegalCopyright->clear();
}

void TfrmFileProperties::FillIconAndType()
{
    std::string type;
    if (const auto native = ToNativePath(FileName)) {
        const QIcon icon = QFileIconProvider().icon(QFileInfo(NativeName(*native)));
        if (!icon.isNull())
            Image1->setPixmap(icon.pixmap(32, 32));
    }
    if (!GetFileTypeName(FileName, type))
        type = TypeFromExtension(FileName.substr(FolderPart(FileName).size()));
    lblType->setText(Shown(type));
    TipWhenCut(lblType);
}

void TfrmFileProperties::FillAttributes(std::uint32_t attributes)
{
    // Each flag is stored before its box is set, so the box's handler finds it.
    FHidden = (attributes & faHidden) != 0;
    chkHidden->setChecked(FHidden);
    FSystem = (attributes & faSysFile) != 0;
    chkSystem->setChecked(FSystem);
    FReadOnly = (attributes & faReadOnly) != 0;
    chkReadOnly->setChecked(FReadOnly);
    FArchive = (attributes & faArchive) != 0;
    chkArchive->setChecked(FArchive);
    FCompressed = (attributes & faCompressed) != 0;
    chkCompressed->setChecked(false);
    chkCompressed->setVisible(false);
    lblCompressedSize->setVisible(false);
    lblCompressedSizeCaption->setVisible(false);
    if (!FCompressed)
        return;

    chkCompressed->setChecked(true);
    chkCompressed->setVisible(true);
    bool compressed = false;
    std::int64_t allocated = 0;
    if (GetCompressionInfo(FileName, compressed, allocated)) {
        lblCompressedSize->setText(Shown(SizeText(allocated)));
        lblCompressedSize->setVisible(true);
        lblCompressedSizeCaption->setVisible(true);
    }
}

void TfrmFileProperties::FillVersionPage()
{
    if (GetFileVersionInfoSize(FileName) == 0)
        return;
    PageControl1->setTabVisible(PageControl1->indexOf(tabVersion), true);
    std::vector<std::uint8_t> block;
    if (!GetFileVersionInfo(FileName, block))
        return;
    const auto translation = FirstTranslationName(block);
    if (!translation)
        return;

    for (const char* key : {"LegalCopyright", "FileDescription", "FileVersion"}) {
        ShowVersionLabel(key, QueryStringValue(block, *translation, key));
    }
    for (const char* key : {"Comments", "CompanyName", "InternalName", "OriginalFilename",
                            "ProductName", "ProductVersion"}) {
        const std::string value = QueryStringValue(block, *translation, key);
        if (value.empty())
            continue;
        lbxNames->addItem(QString::fromLatin1(key));
        FVersionValues->Add(value);
    }
}

void TfrmFileProperties::ShowVersionLabel(const std::string& key, const std::string& value)
{
    if (auto* label = findChild<QLabel*>(QString::fromStdString("lbl" + key))) {
        label->setText(Shown(value));
        TipWhenCut(label);
    }
}

void TfrmFileProperties::FormHide()
{
    FVersionValues.reset();
}

void TfrmFileProperties::lbxNamesClick()
{
    memValues->clear();
    const int row = lbxNames->currentRow();
    if (!FVersionValues || row < 0 || row >= FVersionValues->Count())
        return;
    memValues->setPlainText(Shown(FVersionValues->Strings(row)));
}

void TfrmFileProperties::chkReadOnlyClick()
{
    chkReadOnly->setChecked(FReadOnly);
}

void TfrmFileProperties::chkArchiveClick()
{
    chkArchive->setChecked(FArchive);
}

void TfrmFileProperties::chkHiddenClick()
{
    chkHidden->setChecked(FHidden);
}

void TfrmFileProperties::chkSystemClick()
{
    chkSystem->setChecked(FSystem);
}

void TfrmFileProperties::chkCompressedClick()
{
    chkCompressed->setChecked(FCompressed);
}
