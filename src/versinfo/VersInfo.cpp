#include "versinfo/VersInfo.h"

#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>

#include "platform/Paths.h"
#include "platform/VersionBlock.h"

namespace {

// The captions are translatable texts; this table is their one home in the code.
struct TPreDefText {
    const char* Key;
    const char* Caption;
};
constexpr TPreDefText kPreDefTexts[kPreDefCount] = {
    {"CompanyName", QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "Company Name")},
    {"FileDescription", QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "File Description")},
    {"FileVersion", QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "File Version")},
    {"InternalName", QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "Internal Name")},
    {"LegalCopyright", QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "Legal Copyright")},
    {"LegalTrademarks", QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "Legal Trademarks")},
    {"OriginalFilename", QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "Original Filename")},
    {"ProductName", QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "Product Name")},
    {"ProductVersion", QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "Product Version")},
    {"Comments", QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "Comments")},
    {"BuildFlags", QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "Build Flags")},
};

struct TFlagText {
    std::uint32_t WordBit;  // in the record's flag word
    const char* Caption;
};
constexpr TFlagText kFlagTexts[kFileFlagCount] = {
    {0x01, QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "Debug")},
    {0x10, QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "Info Inferred")},
    {0x04, QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "Patched")},
    {0x02, QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "Pre-Release")},
    {0x08, QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "Private")},
    {0x20, QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "Special")},
};

const char* const kColumnCaptions[2] = {
    QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "Resource"),
    QT_TRANSLATE_NOOP("TvrkVersionInfoResource", "Value"),
};

const char kComponentVersion[] = "TvrkVersionInfoResource v2.35";
const char kDefaultTranslation[] = "040904E4";

// The running executable as a native path ("/proc/self/exe" resolved).
QString RunningExecutable()
{
    if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath();
    return QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
}

}  // namespace

// ---- TVersionFileFlags, TFixedFileVersionInfo, TVersionNumberInformation -------------------

TVersionFileFlags TVersionFileFlags::FromFlagWord(std::uint32_t flagWord)
{
    TVersionFileFlags flags;
    for (int i = 0; i < kFileFlagCount; ++i)
        if (flagWord & kFlagTexts[i].WordBit) flags.FBits = std::uint8_t(flags.FBits | (1u << i));
    return flags;
}

TVersionFileFlags TFixedFileVersionInfo::FileFlags() const
{
    return FRecord ? TVersionFileFlags::FromFlagWord(FRecord->FileFlags) : TVersionFileFlags();
}

void TVersionNumberInformation::SetVersion(std::uint32_t versionMS, std::uint32_t versionLS)
{
    FVersionMS = versionMS;
    FVersionLS = versionLS;
}

int TVersionNumberInformation::GetPart(int index) const
{
    if (!FValid) return 0;
    switch (index) {
    case 0: return int(FVersionMS >> 16);
    case 1: return int(FVersionMS & 0xFFFF);
    case 2: return int(FVersionLS >> 16);
    case 3: return int(FVersionLS & 0xFFFF);
    default: return 0;
    }
}

QString TVersionNumberInformation::AsString() const
{
    if (!FValid) return QString();
    if (!FText.isEmpty()) return FText;
    return QStringLiteral("%1.%2.%3.%4").arg(GetPart(0)).arg(GetPart(1)).arg(GetPart(2)).arg(GetPart(3));
}

// ---- TvrkVersionInfoResource ---------------------------------------------------------------

TvrkVersionInfoResource::TvrkVersionInfoResource(QObject* owner)
    : QObject(owner), FFixedInfo(this), FFileVersion(0, 0), FProductVersion(0, 0)
{
}

TvrkVersionInfoResource::~TvrkVersionInfoResource() = default;

void TvrkVersionInfoResource::Loaded()
{
    FLoading = false;
    ReadVersionInfo();
}

QString TvrkVersionInfoResource::Version() const { return QString::fromLatin1(kComponentVersion); }

void TvrkVersionInfoResource::SetFilename(const QString& filename)
{
    FFilename = filename;
    ReadVersionInfo();
}

void TvrkVersionInfoResource::SetForceEXE(bool forceExe)
{
    if (forceExe == FForceEXE) return;
    FForceEXE = forceExe;
    ReadVersionInfo();
}

void TvrkVersionInfoResource::BindLabel(QPointer<QLabel>& slot, QLabel* label, TPreDef shownItem)
{
    slot = label;
    if (!label) return;
    FShowResource = FShowResource.Without(shownItem);
    UpdateControls();
}

void TvrkVersionInfoResource::SetVersionLabel(QLabel* label) { BindLabel(FVersionLabel, label, pdFileVersion); }
void TvrkVersionInfoResource::SetCopyrightLabel(QLabel* label) { BindLabel(FCopyrightLabel, label, pdLegalCopyright); }
void TvrkVersionInfoResource::SetProductLabel(QLabel* label) { BindLabel(FProductLabel, label, pdProductName); }
void TvrkVersionInfoResource::SetDescriptionLabel(QLabel* label)
{
    BindLabel(FDescriptionLabel, label, pdFileDescription);
}

QLabel* TvrkVersionInfoResource::VersionLabel() const { return FVersionLabel; }
QLabel* TvrkVersionInfoResource::CopyrightLabel() const { return FCopyrightLabel; }
QLabel* TvrkVersionInfoResource::ProductLabel() const { return FProductLabel; }
QLabel* TvrkVersionInfoResource::DescriptionLabel() const { return FDescriptionLabel; }
QTreeWidget* TvrkVersionInfoResource::VersionListView() const { return FVersionListView; }

void TvrkVersionInfoResource::SetVersionListView(QTreeWidget* view)
{
    FVersionListView = view;
    if (view) UpdateControls();
}

void TvrkVersionInfoResource::SetShowResource(TPreDefs items)
{
    if (items == FShowResource) return;
    FShowResource = items;
    UpdateControls();
}

QString TvrkVersionInfoResource::PreDefKey(TPreDef item) { return QString::fromLatin1(kPreDefTexts[item].Key); }

QString TvrkVersionInfoResource::PreDefCaption(TPreDef item) { return tr(kPreDefTexts[item].Caption); }

QString TvrkVersionInfoResource::FileFlagCaption(TVersionFileFlag flag) { return tr(kFlagTexts[flag].Caption); }

QString TvrkVersionInfoResource::GetPreDefValue(int ordinal) const
{
    if (ordinal < 0 || ordinal >= kPreDefCount) return QString();
    return GetStringValue(PreDefKey(TPreDef(ordinal)));
}

QString TvrkVersionInfoResource::GetStringValue(const QString& key) const
{
    if (FBuffer.empty()) return QString();
    // A negative index counts as out of range, like one past the end.
    bool inRange = FTranslationIndex >= 0 && FTranslationIndex < FTranslations.size();
    QString translation = inRange ? FTranslations[FTranslationIndex] : QString::fromLatin1(kDefaultTranslation);
    return QString::fromStdString(QueryStringValue(FBuffer, translation.toStdString(), key.toStdString()));
}

QString TvrkVersionInfoResource::GetVersionFilename() const
{
    if (!FFilename.isEmpty()) return FFilename;
    // Always an executable here (ForceEXE changes nothing): the component is linked into the
    // program, never loaded as a module of its own.
    QString native = RunningExecutable();
    std::optional<std::string> programPath = FromNativePath(native.toStdString());
    return programPath ? QString::fromStdString(*programPath) : native;
}

// The program's form first; a name that no drive holds but that is an absolute native path
// (the running executable outside every drive) is read as it is.
std::optional<std::string> TvrkVersionInfoResource::NativeFileToRead() const
{
    std::string name = GetVersionFilename().toStdString();
    if (name.empty()) return std::nullopt;
    if (std::optional<std::string> native = ToNativePath(name)) return native;
    if (name.front() == '/') return name;
    return std::nullopt;
}

void TvrkVersionInfoResource::ReadVersionInfo()
{
    FTranslations.clear();
    FFixedInfo.SetRecord(std::nullopt);
    FBuffer.clear();
    std::optional<std::string> native = NativeFileToRead();
    std::optional<std::vector<std::uint8_t>> block = native ? ReadNativeVersionBlock(*native) : std::nullopt;
    FBlockSize = block ? std::uint32_t(block->size()) : 0;
    if (!block) {
        FFileVersion.SetValid(false);
        FProductVersion.SetValid(false);
        UpdateControls();
        return;
    }
    FBuffer = std::move(*block);
    FFixedInfo.SetRecord(QueryFixedFileInfo(FBuffer));
    // Windows' resource tools write 0 for "not given": US English, Windows Latin-1.
    for (TTranslation t : QueryTranslations(FBuffer)) {
        std::uint16_t language = t.Language ? t.Language : 0x0409;
        std::uint16_t codePage = t.CodePage ? t.CodePage : 0x04E4;
        FTranslations.append(QString::fromStdString(TranslationName(language, codePage)));
    }
    if (FTranslationIndex >= FTranslations.size()) FTranslationIndex = 0;
    FFileVersion.SetValid(true);
    FFileVersion.SetVersion(FFixedInfo.FileVersionMS(), FFixedInfo.FileVersionLS());
    FFileVersion.SetText(GetPreDefValue(pdFileVersion));
    FProductVersion.SetValid(true);
    FProductVersion.SetVersion(FFixedInfo.ProductVersionMS(), FFixedInfo.ProductVersionLS());
    FProductVersion.SetText(GetPreDefValue(pdProductVersion));
    UpdateControls();
}

void TvrkVersionInfoResource::UpdateControls()
{
    if (FLoading) return;
    if (FVersionLabel) FVersionLabel->setText(FFileVersion.AsString());
    if (FCopyrightLabel) FCopyrightLabel->setText(GetPreDefValue(pdLegalCopyright));
    if (FProductLabel) FProductLabel->setText(GetPreDefValue(pdProductName));
    if (FDescriptionLabel) FDescriptionLabel->setText(GetPreDefValue(pdFileDescription));
    if (FVersionListView) PopulateListView();
}

void TvrkVersionInfoResource::PopulateListView()
{
    QTreeWidget* view = FVersionListView;
    view->clear();
    view->setColumnCount(2);
    view->setHeaderLabels({tr(kColumnCaptions[0]), tr(kColumnCaptions[1])});
    view->setHeaderHidden(false);
    view->setRootIsDecorated(false);
    view->setSortingEnabled(false);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->header()->setSectionsClickable(false);
    for (int column = 0; column < 2; ++column) view->resizeColumnToContents(column);

    const std::pair<TPreDef, QString> rows[] = {
        {pdProductName, GetPreDefValue(pdProductName)},
        {pdProductVersion, FProductVersion.AsString()},
        {pdCompanyName, GetPreDefValue(pdCompanyName)},
        {pdLegalCopyright, GetPreDefValue(pdLegalCopyright)},
        {pdLegalTrademarks, GetPreDefValue(pdLegalTrademarks)},
        {pdFileDescription, GetPreDefValue(pdFileDescription)},
        {pdFileVersion, FFileVersion.AsString()},
        {pdInternalName, GetPreDefValue(pdInternalName)},
        {pdOriginalFilename, GetPreDefValue(pdOriginalFilename)},
        {pdBuildFlags, GetBuildFlagsText()},
        {pdComments, GetPreDefValue(pdComments)},
    };
    for (const auto& [item, value] : rows) {
        if (value.isEmpty() || !FShowResource.Contains(item)) continue;
        view->addTopLevelItem(new QTreeWidgetItem(QStringList{PreDefCaption(item), value}));
    }
}

QString TvrkVersionInfoResource::GetBuildFlagsText() const
{
    TVersionFileFlags flags = FFixedInfo.FileFlags();
    QStringList captions;
    for (int i = 0; i < kFileFlagCount; ++i)
        if (flags.Contains(TVersionFileFlag(i))) captions.append(FileFlagCaption(TVersionFileFlag(i)));
    return captions.join(QStringLiteral(", "));
}
