#include <gtest/gtest.h>

#include <QHeaderView>

#include "views/FileList.h"
#include "views/ResultRowsModel.h"

namespace {

using Texts = std::vector<std::string>;

class FileListTest : public testing::Test {
protected:
    TFileListView FView;

    void AddFileRow(const std::string& path, const std::string& size, const std::string& type)
    {
        FView.Rows().Append(TResultRow{path, {size, type, "2001/06/19 14:05", "   A", "", ""}});
    }
    // One column as the model shows it, top to bottom.
    Texts Column(int column) const
    {
        Texts texts;
        for (int row = 0; row < FView.RowsModel()->rowCount(); ++row)
            texts.push_back(FView.RowsModel()->index(row, column).data().toString().toStdString());
        return texts;
    }
    void ClickHeader(int column) { emit FView.header()->sectionClicked(column); }
};

TEST_F(FileListTest, HeaderClicksSortByTheViewsOwnOrderUnlessTheOwnerTakesThem)
{
    AddFileRow("C:\\b.txt", "20", "plain text document");
    AddFileRow("C:\\a.jpg", "300", "JPEG image");
    FView.AddRow(kGroupHeaderCaption);  // no sub-items: size 0
    ClickHeader(1);                     // the initial sort column: first click turns it descending
    EXPECT_EQ(Column(1), (Texts{"300", "20", ""}));
    ClickHeader(1);
    EXPECT_EQ(Column(1), (Texts{"", "20", "300"}));
    std::vector<int> clicked;
    FView.OnColumnClick = [&clicked](int column) { clicked.push_back(column); };
    ClickHeader(0);
    EXPECT_EQ(clicked, (std::vector<int>{0}));
    EXPECT_EQ(Column(1), (Texts{"", "20", "300"}));
}

TEST_F(FileListTest, RowsInsideTheBracketAreShownInBatches)
{
    int insertions = 0;
    QObject::connect(FView.RowsModel(), &QAbstractItemModel::rowsInserted,
                     [&insertions] { ++insertions; });
    FView.BeginUpdate();
    FView.BeginUpdate();
    for (int i = 0; i < 1000; ++i) FView.AddRow("row " + std::to_string(i));
    FView.EndUpdate();
    EXPECT_EQ(FView.RowsModel()->rowCount(), 0) << "the outer bracket is still open";
    FView.EndUpdate();
    EXPECT_EQ(insertions, 1);
    EXPECT_EQ(FView.RowsModel()->rowCount(), 1000);

    // A repaint inside the bracket shows the rows added so far.
    FView.Clear();
    FView.BeginUpdate();
    FView.AddRow("first");
    FView.RepaintRows();
    EXPECT_EQ(FView.RowsModel()->rowCount(), 1);
    FView.AddRow("second");
    FView.EndUpdate();
    EXPECT_EQ(Column(0), (Texts{"first", "second"}));
}

TEST_F(FileListTest, RemovalClearAndSelectionKeepTheViewInStep)
{
    for (const char* caption : {"a", "b", "c", "d"}) FView.AddRow(caption);
    EXPECT_EQ(FView.SelectedIndex(), -1);
    FView.SelectRow(3);
    FView.selectionModel()->select(FView.RowsModel()->index(2, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(FView.SelectedIndex(), 2) << "the first selected row";
    FView.SelectRow(3);
    FView.Rows().Remove(1);
    EXPECT_EQ(Column(0), (Texts{"a", "c", "d"}));
    EXPECT_EQ(FView.SelectedIndex(), 2) << "the selection moves with its row";

    FView.BeginUpdate();
    FView.AddRow("held");
    FView.Clear();
    FView.AddRow("after");
    FView.EndUpdate();
    EXPECT_EQ(Column(0), (Texts{"after"}));
}

}  // namespace
