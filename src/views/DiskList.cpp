#include "views/DiskList.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QStyle>
#include <QStyledItemDelegate>
#include <array>

#include "platform/Drives.h"

namespace {

constexpr int kIconSize = 16;
constexpr int kLetters = 26;

struct TDriveIconName {
    const char* Theme;
    QStyle::StandardPixmap Fallback;
};

TDriveIconName IconNameOf(int driveType)
{
    switch (driveType) {
        case dtRemovable:
            return {"drive-removable-media", QStyle::SP_DriveFDIcon};
        case dtRemote:
            return {"network-server", QStyle::SP_DriveNetIcon};
        case dtCdRom:
            return {"drive-optical", QStyle::SP_DriveCDIcon};
        default:
            return {"drive-harddisk", QStyle::SP_DriveHDIcon};
    }
}

// The drive type as the system reports it: no root directory when the folder is gone.
int DriveTypeOf(const TDrive& drive)
{
    return QFileInfo(QString::fromStdString(drive.Root)).isDir() ? drive.Type : int(dtNoRootDir);
}

int LetterIndex(char letter)
{
    return letter >= 'A' && letter <= 'Z' ? letter - 'A' : -1;
}

// Paints each name as ShownName gives it for the room its cell has.
class TDriveNameDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QWidget* view = option->widget;
        const QStyle* style = view ? view->style() : QApplication::style();
        const int room = style->subElementRect(QStyle::SE_ItemViewItemText, option, view).width();
        // The style pads the text on both sides.
        const int padding =
            2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
        option->text = TDiskListView::ShownName(option->text, option->fontMetrics, room - padding);
    }
};

}  // namespace

TDiskListView::TDiskListView(QWidget* owner) : QTreeWidget(owner)
{
    setObjectName(QStringLiteral("DiskListView1"));
    setColumnCount(1);
    setHeaderLabels({QStringLiteral("Select drives")});
    header()->setSectionsClickable(false);
    header()->setStretchLastSection(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(kIconSize, kIconSize));
    // Names are elided to the list's width instead.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setItemDelegate(new TDriveNameDelegate(this));
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!FCheckboxes && !FBulkChange)
            emit Change();
    });
    connect(this, &QTreeWidget::itemChanged, this, [this] {
        if (FCheckboxes && !FBulkChange)
            emit Change();
    });
}

char TDiskListView::DriveLetterOf(const QString& caption)
{
    const qsizetype close = caption.indexOf(QStringLiteral(":)"));
    if (!caption.contains(QStringLiteral(" (")) || close < 1)
        return ' ';
    const QChar letter = caption.at(close - 1).toUpper();
    // Only an ASCII letter can name a drive; anything else reads as no letter.
    return letter.unicode() < 128 ? static_cast<char>(letter.unicode()) : ' ';
}

QString TDiskListView::ShownName(const QString& caption, const QFontMetrics& metrics, int width)
{
    if (metrics.horizontalAdvance(caption) <= width)
        return caption;
    // "<kind or label> <folder> (X:)": the folder is the native root, from its first "/".
    const qsizetype folderStart = caption.indexOf(QLatin1Char('/'));
    const qsizetype letterStart = caption.lastIndexOf(QStringLiteral(" ("));
    if (folderStart < 0 || letterStart <= folderStart)
        return metrics.elidedText(caption, Qt::ElideMiddle, width);
    const QString head = caption.left(folderStart), tail = caption.mid(letterStart);
    const QString folder = caption.mid(folderStart, letterStart - folderStart);
    const int room = width - metrics.horizontalAdvance(head) - metrics.horizontalAdvance(tail);
    // Whole first and last folder names when they fit ("/srv/…/backup"), else characters.
    const qsizetype firstCut = folder.indexOf(QLatin1Char('/'), 1);
    const qsizetype lastCut = folder.lastIndexOf(QLatin1Char('/'));
    if (firstCut > 0 && lastCut > firstCut) {
        const QString short_ = folder.left(firstCut + 1) + QChar(0x2026) + folder.mid(lastCut);
        if (metrics.horizontalAdvance(short_) <= room)
            return head + short_ + tail;
    }
    return head + metrics.elidedText(folder, Qt::ElideMiddle, std::max(room, 0)) + tail;
}

bool TDiskListView::IsChosen(const QTreeWidgetItem* item) const
{
    return FCheckboxes ? item->checkState(0) == Qt::Checked : item->isSelected();
}

void TDiskListView::SetChosen(QTreeWidgetItem* item, bool chosen)
{
    if (FCheckboxes)
        item->setCheckState(0, chosen ? Qt::Checked : Qt::Unchecked);
    else
        item->setSelected(chosen);
}

template <typename F>
void TDiskListView::ChangeChoice(F change)
{
    const std::string before = SelectedDrives();
    const int rowsBefore = topLevelItemCount();
    FBulkChange = true;
    setUpdatesEnabled(false);
    change();
    setUpdatesEnabled(true);
    FBulkChange = false;
    if (SelectedDrives() != before || topLevelItemCount() != rowsBefore)
        emit Change();
}

void TDiskListView::SetCheckboxes(bool value)
{
    if (value == FCheckboxes)
        return;
    ChangeChoice([&] {
        FCheckboxes = value;
        for (int i = 0; i < topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = topLevelItem(i);
            if (value)
                item->setCheckState(0, Qt::Unchecked);
            else
                item->setData(0, Qt::CheckStateRole, QVariant());
        }
    });
}

std::string TDiskListView::SelectedDrives() const
{
    std::string drives;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = topLevelItem(i);
        if (IsChosen(item))
            drives += DriveLetterOf(item->text(0));
    }
    return drives;
}

void TDiskListView::SetSelectedDrives(std::string_view value)
{
    std::string upper(value);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    ChangeChoice([&] {
        for (int i = 0; i < topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = topLevelItem(i);
            SetChosen(item, upper.find(DriveLetterOf(item->text(0))) != std::string::npos);
        }
    });
}

QIcon TDiskListView::DriveImage(int driveType) const
{
    const TDriveIconName name = IconNameOf(driveType);
    QIcon icon = QIcon::fromTheme(QString::fromLatin1(name.Theme));
    if (icon.isNull())
        icon = style()->standardIcon(name.Fallback);
    // Drawn on the list's background, as the shell's icons are, so no mask is needed.
    QPixmap image(kIconSize, kIconSize);
    image.fill(palette().color(QPalette::Base));
    QPainter painter(&image);
    icon.paint(&painter, QRect(0, 0, kIconSize, kIconSize));
    painter.end();
    return QIcon(image);
}

void TDiskListView::FillDrives()
{
    FillDrives(TDriveTable::Current());
}

void TDiskListView::FillDrives(const TDriveTable& table)
{
    ChangeChoice([&] {
        clear();
        for (const TDrive& drive : table.Drives()) {
            const int type = DriveTypeOf(drive);
            if (type == dtUnknown || type == dtNoRootDir || drive.DisplayName.empty())
                continue;
            auto* item = new QTreeWidgetItem(this);
            item->setText(0, QString::fromStdString(drive.DisplayName));
            item->setToolTip(0, item->text(0));
            item->setIcon(0, DriveImage(type));
            if (FCheckboxes)
                item->setCheckState(0, Qt::Unchecked);
            if (type == dtFixed && FSelectLocalDrives)
                SetChosen(item, true);
        }
    });
}

bool TDiskListView::SaveToFile(const std::string& fileName) const
{
    std::array<char, kLetters> bytes{};
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = topLevelItem(i);
        const int index = LetterIndex(DriveLetterOf(item->text(0)));
        if (index >= 0 && IsChosen(item))
            bytes[index] = 1;
    }
    QSaveFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes.data(), kLetters) != kLetters)
        return false;
    return file.commit();
}

bool TDiskListView::LoadFromFile(const std::string& fileName)
{
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.read(kLetters);
    if (bytes.size() != kLetters)
        return false;
    ChangeChoice([&] {
        for (int i = 0; i < topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = topLevelItem(i);
            const int index = LetterIndex(DriveLetterOf(item->text(0)));
            SetChosen(item, index >= 0 && bytes[index] != 0);
        }
    });
    return true;
}
