#pragma once
// TvrkVersionInfoResource: a non-visual component of a window that reads the version block of
// one file (by default the running program's own executable) and offers the fixed numbers,
// the strings of one translation, and display texts built from both. It can push those texts
// into bound labels and a list view, which it references but never owns: a bound widget that
// is destroyed is simply forgotten.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/VersionQuery.h"

class QLabel;
class QTreeWidget;

// The predefined string items, in their fixed order.
enum TPreDef : int {
    pdCompanyName,
    pdFileDescription,
    pdFileVersion,
    pdInternalName,
    pdLegalCopyright,
    pdLegalTrademarks,
    pdOriginalFilename,
    pdProductName,
    pdProductVersion,
    pdComments,
    pdBuildFlags,
};
constexpr int kPreDefCount = 11;

// A set of TPreDef held in 16 bits, bit n for ordinal n. Bits above the last item are never set.
class TPreDefs {
public:
    static constexpr std::uint16_t kAllBits = 0x7FF;
    constexpr TPreDefs() = default;
    constexpr explicit TPreDefs(std::uint16_t bits) : FBits(bits & kAllBits) {}
    static constexpr TPreDefs All() { return TPreDefs(kAllBits); }

    constexpr std::uint16_t Bits() const { return FBits; }
    constexpr bool Contains(TPreDef item) const { return (FBits >> item) & 1; }
    constexpr TPreDefs With(TPreDef item) const { return TPreDefs(std::uint16_t(FBits | (1u << item))); }
    constexpr TPreDefs Without(TPreDef item) const { return TPreDefs(std::uint16_t(FBits & ~(1u << item))); }
    constexpr bool operator==(const TPreDefs&) const = default;

private:
    std::uint16_t FBits = 0;
};

// The six build flags; their set bits differ from the flag word's bit values.
enum TVersionFileFlag : int {
    ffDebug,
    ffInfoInferred,
    ffPatched,
    ffPreRelease,
    ffPrivateBuild,
    ffSpecialBuild,
};
constexpr int kFileFlagCount = 6;

class TVersionFileFlags {
public:
    constexpr TVersionFileFlags() = default;
    // The whole flag word is used; the record's flag mask is not applied.
    static TVersionFileFlags FromFlagWord(std::uint32_t flagWord);

    constexpr std::uint8_t Bits() const { return FBits; }
    constexpr bool Contains(TVersionFileFlag flag) const { return (FBits >> flag) & 1; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr bool operator==(const TVersionFileFlags&) const = default;

private:
    std::uint8_t FBits = 0;
};

class TvrkVersionInfoResource;

// A view of the fixed record of the component's block; every accessor gives 0 (the empty
// set for the flags) while there is no record.
class TFixedFileVersionInfo {
public:
    explicit TFixedFileVersionInfo(const TvrkVersionInfoResource* owner) : FOwner(owner) {}

    const TvrkVersionInfoResource* Owner() const { return FOwner; }
    bool HasRecord() const { return FRecord.has_value(); }
    std::uint32_t FileVersionMS() const { return FRecord ? FRecord->FileVersionMS : 0; }
    std::uint32_t FileVersionLS() const { return FRecord ? FRecord->FileVersionLS : 0; }
    std::uint32_t ProductVersionMS() const { return FRecord ? FRecord->ProductVersionMS : 0; }
    std::uint32_t ProductVersionLS() const { return FRecord ? FRecord->ProductVersionLS : 0; }
    TVersionFileFlags FileFlags() const;

    void SetRecord(std::optional<TFixedFileInfo> record) { FRecord = record; }

private:
    const TvrkVersionInfoResource* FOwner;
    std::optional<TFixedFileInfo> FRecord;
};

// One four-part version number with the text the string table gives for it.
class TVersionNumberInformation {
public:
    TVersionNumberInformation(std::uint32_t versionMS, std::uint32_t versionLS)
        : FVersionMS(versionMS), FVersionLS(versionLS) {}

    bool Valid() const { return FValid; }
    std::uint32_t VersionMS() const { return FVersionMS; }
    std::uint32_t VersionLS() const { return FVersionLS; }
    const QString& Text() const { return FText; }
    void SetValid(bool valid) { FValid = valid; }
    void SetVersion(std::uint32_t versionMS, std::uint32_t versionLS);
    void SetText(const QString& text) { FText = text; }

    // 0: high word of VersionMS, 1: its low word, 2 and 3: the same of VersionLS. Any other
    // index, and any index while not Valid, gives 0.
    int GetPart(int index) const;
    // Empty while not Valid; else the string table's text when there is one (it wins over the
    // numbers), else the four parts as "1.2.0.7".
    QString AsString() const;

private:
    bool FValid = false;
    std::uint32_t FVersionMS;
    std::uint32_t FVersionLS;
    QString FText;
};

class TvrkVersionInfoResource : public QObject {
    Q_OBJECT
    Q_MOC_INCLUDE(<QLabel>)
    Q_MOC_INCLUDE(<QTreeWidget>)
    Q_PROPERTY(QString Version READ Version WRITE SetVersion STORED false)
    Q_PROPERTY(QString Filename READ Filename WRITE SetFilename)
    Q_PROPERTY(bool ForceEXE READ ForceEXE WRITE SetForceEXE)
    Q_PROPERTY(QString CompanyName READ CompanyName)
    Q_PROPERTY(QString FileDescription READ FileDescription)
    Q_PROPERTY(QString InternalName READ InternalName)
    Q_PROPERTY(QString LegalCopyright READ LegalCopyright)
    Q_PROPERTY(QString LegalTrademarks READ LegalTrademarks)
    Q_PROPERTY(QString OriginalFilename READ OriginalFilename)
    Q_PROPERTY(QString ProductName READ ProductName)
    Q_PROPERTY(QString Comments READ Comments)
    Q_PROPERTY(QLabel* VersionLabel READ VersionLabel WRITE SetVersionLabel)
    Q_PROPERTY(QTreeWidget* VersionListView READ VersionListView WRITE SetVersionListView)
    Q_PROPERTY(QLabel* DescriptionLabel READ DescriptionLabel WRITE SetDescriptionLabel)
    Q_PROPERTY(QLabel* CopyrightLabel READ CopyrightLabel WRITE SetCopyrightLabel)
    Q_PROPERTY(QLabel* ProductLabel READ ProductLabel WRITE SetProductLabel)
    Q_PROPERTY(int ShowResource READ ShowResourceBits WRITE SetShowResourceBits)

public:
    // Sets the defaults and reads nothing; the owner calls Loaded() once it has set the
    // stored properties.
    explicit TvrkVersionInfoResource(QObject* owner = nullptr);
    ~TvrkVersionInfoResource() override;

    // Between BeginLoading() and Loaded() the bound controls are left alone.
    void BeginLoading() { FLoading = true; }
    virtual void Loaded();
    bool Loading() const { return FLoading; }

    QString Version() const;
    void SetVersion(const QString&) {}  // the component's version cannot be changed
    const QString& Filename() const { return FFilename; }
    void SetFilename(const QString& filename);  // reads again, even when unchanged
    bool ForceEXE() const { return FForceEXE; }
    void SetForceEXE(bool forceExe);

    QString CompanyName() const { return GetPreDefValue(pdCompanyName); }
    QString FileDescription() const { return GetPreDefValue(pdFileDescription); }
    QString InternalName() const { return GetPreDefValue(pdInternalName); }
    QString LegalCopyright() const { return GetPreDefValue(pdLegalCopyright); }
    QString LegalTrademarks() const { return GetPreDefValue(pdLegalTrademarks); }
    QString OriginalFilename() const { return GetPreDefValue(pdOriginalFilename); }
    QString ProductName() const { return GetPreDefValue(pdProductName); }
    QString Comments() const { return GetPreDefValue(pdComments); }

    // Binding a label takes the item it shows out of ShowResource, so the list view does not
    // repeat it; unbinding does not put it back.
    QLabel* VersionLabel() const;
    void SetVersionLabel(QLabel* label);
    QLabel* CopyrightLabel() const;
    void SetCopyrightLabel(QLabel* label);
    QLabel* ProductLabel() const;
    void SetProductLabel(QLabel* label);
    QLabel* DescriptionLabel() const;
    void SetDescriptionLabel(QLabel* label);
    QTreeWidget* VersionListView() const;
    void SetVersionListView(QTreeWidget* view);

    TPreDefs ShowResource() const { return FShowResource; }
    void SetShowResource(TPreDefs items);
    int ShowResourceBits() const { return FShowResource.Bits(); }
    void SetShowResourceBits(int bits) { SetShowResource(TPreDefs(std::uint16_t(bits))); }

    // Eight hexadecimal digits per translation of the block, in block order.
    const QStringList& Translations() const { return FTranslations; }
    // Which translation the string lookups use; one out of range uses "040904E4".
    int TranslationIndex() const { return FTranslationIndex; }
    void SetTranslationIndex(int index) { FTranslationIndex = index; }

    const TFixedFileVersionInfo& FixedInfo() const { return FFixedInfo; }
    const TVersionNumberInformation& FileVersion() const { return FFileVersion; }
    const TVersionNumberInformation& ProductVersion() const { return FProductVersion; }
    // Size of the block read last; 0 when the file had none.
    std::uint32_t BlockSize() const { return FBlockSize; }

    // The string of the item with this ordinal; empty outside 0 to 10.
    QString GetPreDefValue(int ordinal) const;
    // Any key under the current translation; empty when absent.
    QString GetStringValue(const QString& key) const;
    // The key of a predefined item in the string table, and its translated caption.
    static QString PreDefKey(TPreDef item);
    static QString PreDefCaption(TPreDef item);
    static QString FileFlagCaption(TVersionFileFlag flag);

    virtual QString GetVersionFilename() const;
    virtual void UpdateControls();
    virtual void PopulateListView();
    // Captions of the set flags in set-bit order, joined by ", ".
    virtual QString GetBuildFlagsText() const;
    virtual void ReadVersionInfo();

private:
    void BindLabel(QPointer<QLabel>& slot, QLabel* label, TPreDef shownItem);
    std::optional<std::string> NativeFileToRead() const;

    std::vector<std::uint8_t> FBuffer;
    std::uint32_t FBlockSize = 0;
    QString FFilename;
    QStringList FTranslations;
    int FTranslationIndex = 0;
    TFixedFileVersionInfo FFixedInfo;
    bool FForceEXE = false;
    TVersionNumberInformation FFileVersion;
    TVersionNumberInformation FProductVersion;
    QPointer<QLabel> FVersionLabel;
    QPointer<QLabel> FCopyrightLabel;
    QPointer<QTreeWidget> FVersionListView;
    QPointer<QLabel> FDescriptionLabel;
    QPointer<QLabel> FProductLabel;
    TPreDefs FShowResource = TPreDefs::All();
    bool FLoading = false;
};
