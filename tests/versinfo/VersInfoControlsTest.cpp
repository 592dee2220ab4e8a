// The version component's bound labels and list view.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>

#include "versinfo/VersInfo.h"
#include "versinfo/VersInfoFixture.h"

namespace {

using Component = TvrkVersionInfoResource;

class VersInfoControls : public VersInfoFixture {};

// Caption and value of every row, in order.
std::vector<std::pair<QString, QString>> Rows(const QTreeWidget& view)
{
    std::vector<std::pair<QString, QString>> rows;
    for (int i = 0; i < view.topLevelItemCount(); ++i)
        rows.emplace_back(view.topLevelItem(i)->text(0), view.topLevelItem(i)->text(1));
    return rows;
}

bool HasRow(const QTreeWidget& view, const QString& caption)
{
    for (const auto& row : Rows(view))
        if (row.first == caption) return true;
    return false;
}

}  // namespace

TEST_F(VersInfoControls, ListViewRowsInTheirFixedOrder)
{
    QTreeWidget view;
    Component c;
    c.SetFilename(WritePe("twins.exe", FullContent(0x03)));
    c.SetVersionListView(&view);

    std::vector<std::pair<QString, QString>> expected = {
        {"Product Name", "Twins"},
        {"Product Version", "5.6"},
        {"Company Name", "Quillmoor"},
        {"Legal Copyright", "(C) Quillmoor"},
        {"Legal Trademarks", "Twins(TM)"},
        {"File Description", "Finds twins"},
        {"File Version", "1.2 release"},
        {"Internal Name", "twins"},
        {"Original Filename", "twins.exe"},
        {"Build Flags", "Debug, Pre-Release"},
        {"Comments", "no comment"},
    };
    EXPECT_EQ(Rows(view), expected);
    ASSERT_EQ(view.columnCount(), 2);
    EXPECT_EQ(view.headerItem()->text(0), "Resource");
    EXPECT_EQ(view.headerItem()->text(1), "Value");
    EXPECT_FALSE(view.header()->sectionsClickable());
    EXPECT_EQ(view.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(view.rootIsDecorated());

    // A new read fills it afresh, not on top of the old rows.
    c.SetFilename(c.Filename());
    EXPECT_EQ(Rows(view), expected);
}

TEST_F(VersInfoControls, EmptyValuesAndHiddenItemsGetNoRow)
{
    TVersionBlockContent content = FullContent();
    content.Tables[0].Strings = {{"CompanyName", "Quillmoor"}, {"Comments", ""}, {"FileVersion", "1.2"}};
    QTreeWidget view;
    Component c;
    c.SetVersionListView(&view);
    c.SetFilename(WritePe("sparse.exe", content));
    // ProductVersion has no text but numbers; no flags are set.
    std::vector<std::pair<QString, QString>> expected = {
        {"Product Version", "5.6.7.8"}, {"Company Name", "Quillmoor"}, {"File Version", "1.2"}};
    EXPECT_EQ(Rows(view), expected);

    c.SetShowResource(TPreDefs::All().Without(pdCompanyName).Without(pdProductVersion));
    EXPECT_EQ(Rows(view), (std::vector<std::pair<QString, QString>>{{"File Version", "1.2"}}));
    c.SetShowResource(TPreDefs());
    EXPECT_EQ(view.topLevelItemCount(), 0);
}

TEST_F(VersInfoControls, BindingALabelTakesItsItemOutOfTheList)
{
    QTreeWidget view;
    QLabel copyright, version, product, description;
    Component c;
    c.SetFilename(WritePe("twins.exe", FullContent()));
    c.SetVersionListView(&view);
    ASSERT_TRUE(HasRow(view, "Legal Copyright"));

    c.SetCopyrightLabel(&copyright);
    EXPECT_FALSE(c.ShowResource().Contains(pdLegalCopyright));
    EXPECT_EQ(copyright.text(), "(C) Quillmoor");
    EXPECT_FALSE(HasRow(view, "Legal Copyright"));
    EXPECT_EQ(c.LegalCopyright(), "(C) Quillmoor");

    c.SetVersionLabel(&version);
    c.SetProductLabel(&product);
    c.SetDescriptionLabel(&description);
    EXPECT_EQ(version.text(), "1.2 release");
    EXPECT_EQ(product.text(), "Twins");
    EXPECT_EQ(description.text(), "Finds twins");
    for (const char* caption : {"File Version", "Product Name", "File Description"})
        EXPECT_FALSE(HasRow(view, caption)) << caption;
    EXPECT_EQ(c.ShowResource().Bits(), 0x7FF & ~((1 << 2) | (1 << 4) | (1 << 7) | (1 << 1)));

    // Unbinding forgets the label but gives nothing back to the list.
    c.SetCopyrightLabel(nullptr);
    EXPECT_EQ(c.CopyrightLabel(), nullptr);
    EXPECT_FALSE(c.ShowResource().Contains(pdLegalCopyright));
    c.SetFilename(WritePe("other.exe", FullContent()));
    EXPECT_FALSE(HasRow(view, "Legal Copyright"));
}

TEST_F(VersInfoControls, DestroyedWidgetsAreForgotten)
{
    Component c;
    auto* label = new QLabel;
    auto* view = new QTreeWidget;
    c.SetVersionLabel(label);
    c.SetVersionListView(view);
    c.SetProductLabel(label);
    delete label;
    delete view;
    EXPECT_EQ(c.VersionLabel(), nullptr);
    EXPECT_EQ(c.ProductLabel(), nullptr);
    EXPECT_EQ(c.VersionListView(), nullptr);
    c.SetFilename(WritePe("twins.exe", FullContent()));  // would write to freed widgets
    EXPECT_EQ(c.ProductName(), "Twins");
}

TEST_F(VersInfoControls, ControlsWaitUntilLoaded)
{
    QLabel version;
    QTreeWidget view;
    QWidget window;
    auto* c = new Component(&window);
    c->BeginLoading();
    c->SetVersionLabel(&version);
    c->SetVersionListView(&view);
    c->SetFilename(WritePe("twins.exe", FullContent()));
    EXPECT_EQ(version.text(), "");
    EXPECT_EQ(view.columnCount(), 1);  // untouched
    c->Loaded();
    EXPECT_FALSE(c->Loading());
    EXPECT_EQ(version.text(), "1.2 release");
    EXPECT_EQ(view.columnCount(), 2);
}

