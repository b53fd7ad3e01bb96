// The virtual list over a small fake source: cells from the columns, header sorting,
// stale keys, the selection across refreshes, and a large list drawn cell by cell.

#include "QtApplication.hpp"
#include "FakeSource.hpp"

#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "Utility/Text.hpp"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

using namespace fake;
using UI::VirtualList::Control;

class VirtualList : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureApplication();
    }

    void SetUp() override
    {
        store.put(10, {L"delta", 3, false});
        store.put(20, {L"alpha", 1, true});
        store.put(30, {L"charlie", 3, false});
        store.put(40, {L"bravo", 2, true});
        list.SetSource(&source);
        list.AddColumn(flag);
        list.AddColumn(nameColumn);
        list.AddColumn(size);
        list.SetSortColumn(1);
        list.resize(400, 300);
    }

    void TearDown() override
    {
        EXPECT_EQ(store.unlockedReads, 0) << "a column read data without the source's lock";
        EXPECT_EQ(store.staleReads, 0) << "a column was asked about a key without data";
        EXPECT_EQ(store.lockDepth, 0);
    }

    std::vector<int> keys() const { return *list.Keys(); }
    QVariant cell(int row, int column, int role = Qt::DisplayRole) const
    {
        return list.model()->data(list.model()->index(row, column), role);
    }
    std::vector<QString> names() const
    {
        std::vector<QString> result;
        for (int row = 0; row < list.model()->rowCount(); ++row) result.push_back(cell(row, 1).toString());
        return result;
    }
    void clickHeader(int column)
    {
        QHeaderView* header = list.horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    Store store;
    FakeSource source{store};
    std::shared_ptr<FlagColumn> flag = std::make_shared<FlagColumn>(store, 0);
    std::shared_ptr<NameColumn> nameColumn = std::make_shared<NameColumn>(store, 1);
    std::shared_ptr<SizeColumn> size = std::make_shared<SizeColumn>(store, 2);
    Control<FakeSource> list;
};

TEST_F(VirtualList, CellsComeFromTheColumnsUnderTheLock)
{
    const QIcon read(QPixmap(16, 16)), unread(QPixmap(8, 8));
    list.SetImages({QIcon(), read, unread});
    list.Refresh();

    ASSERT_EQ(list.model()->rowCount(), 4);
    ASSERT_EQ(list.model()->columnCount(), 3);
    EXPECT_EQ(list.model()->headerData(1, Qt::Horizontal).toString(), "Name");
    EXPECT_EQ(list.columnWidth(0), 36);
    EXPECT_EQ(list.columnWidth(1), 120);

    // Sorted by name, ascending: alpha(20), bravo(40), charlie(30), delta(10).
    EXPECT_EQ(keys(), (std::vector<int>{20, 40, 30, 10}));
    EXPECT_EQ(cell(0, 1).toString(), "alpha");
    EXPECT_EQ(cell(2, 2).toString(), "3");

    // Image cells: the index picks the list's image; text is not theirs to give.
    EXPECT_EQ(cell(0, 0, Qt::DecorationRole).value<QIcon>().cacheKey(), unread.cacheKey());
    EXPECT_EQ(cell(2, 0, Qt::DecorationRole).value<QIcon>().cacheKey(), read.cacheKey());
    EXPECT_TRUE(cell(0, 0).toString().isEmpty());
    EXPECT_FALSE(cell(0, 1, Qt::DecorationRole).isValid());

    // Bold where the column says so (unread rows), normal weight elsewhere and in columns
    // that never say bold.
    EXPECT_EQ(cell(0, 1, Qt::FontRole).value<QFont>().weight(), QFont::Bold);
    EXPECT_EQ(cell(1, 1, Qt::FontRole).value<QFont>().weight(), QFont::Bold);
    EXPECT_EQ(cell(2, 1, Qt::FontRole).value<QFont>().weight(), QFont::Normal);
    EXPECT_EQ(cell(0, 2, Qt::FontRole).value<QFont>().weight(), QFont::Normal);

    // Outside the rows and columns nothing is answered.
    EXPECT_FALSE(cell(4, 1).isValid());
    EXPECT_FALSE(list.model()->index(0, 3).isValid());
}

TEST_F(VirtualList, HeaderClicksSortBothWays)
{
    list.show();
    list.Refresh();
    ASSERT_EQ(names(), (std::vector<QString>{"alpha", "bravo", "charlie", "delta"}));

    // The clicked column's direction turns first: the sorted column goes descending.
    clickHeader(1);
    EXPECT_EQ(names(), (std::vector<QString>{"delta", "charlie", "bravo", "alpha"}));
    EXPECT_EQ(list.horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    clickHeader(1);
    EXPECT_EQ(names(), (std::vector<QString>{"alpha", "bravo", "charlie", "delta"}));
    EXPECT_EQ(list.horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);

    // Another column: its own direction (ascending) inverted, by its own order (the number,
    // not the text). Equal sizes keep the source's order in both directions.
    clickHeader(2);
    EXPECT_EQ(list.SortColumn(), 2);
    EXPECT_EQ(keys(), (std::vector<int>{10, 30, 40, 20}));
    EXPECT_EQ(list.horizontalHeader()->sortIndicatorSection(), 2);
    clickHeader(2);
    EXPECT_EQ(keys(), (std::vector<int>{20, 40, 10, 30}));

    // Back to the name column, which kept its own direction (ascending): now descending.
    clickHeader(1);
    EXPECT_EQ(names(), (std::vector<QString>{"delta", "charlie", "bravo", "alpha"}));
}

TEST_F(VirtualList, AFailedSortKeepsTheOrderAndTheDirection)
{
    list.Refresh();
    nameColumn->failLess = true;
    store.put(50, {L"echo", 9, false});

    EXPECT_THROW(list.SortBy(1), std::runtime_error);
    EXPECT_EQ(list.SortColumn(), 1);
    EXPECT_TRUE(nameColumn->Ascending());
    EXPECT_EQ(keys(), (std::vector<int>{20, 40, 30, 10}));

    // Clicking another column whose sort fails puts the previous sort column back.
    size->SetAscending(true);
    source.failKeys = true;
    EXPECT_THROW(list.SortBy(2), KeysFailure);
    EXPECT_EQ(list.SortColumn(), 1);
    EXPECT_TRUE(size->Ascending());
    EXPECT_EQ(list.model()->rowCount(), 4);

    // A click has no caller to pass the failure to: the list's error handler gets it.
    std::exception_ptr reported;
    list.SetErrorHandler([&](std::exception_ptr e) { reported = e; });
    list.show();
    clickHeader(2);
    ASSERT_TRUE(reported);
    EXPECT_THROW(std::rethrow_exception(reported), KeysFailure);
    EXPECT_EQ(list.SortColumn(), 1);
    EXPECT_EQ(list.horizontalHeader()->sortIndicatorSection(), 1);
    EXPECT_EQ(list.horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);

    // So does a column that fails while a cell is drawn; the cell stays empty.
    reported = nullptr;
    nameColumn->failText = true;
    EXPECT_FALSE(cell(0, 1).isValid());
    ASSERT_TRUE(reported);
    EXPECT_THROW(std::rethrow_exception(reported), std::runtime_error);
}

TEST_F(VirtualList, AFailedRefreshKeepsThePreviousKeys)
{
    list.Refresh();
    store.put(50, {L"echo", 9, false});
    source.failKeys = true;
    EXPECT_THROW(list.Refresh(), KeysFailure);
    EXPECT_EQ(keys(), (std::vector<int>{20, 40, 30, 10}));
    EXPECT_EQ(list.model()->rowCount(), 4);

    Control<FakeSource> unsourced;
    EXPECT_THROW(unsourced.Refresh(), UI::VirtualList::NoSource);
}

TEST_F(VirtualList, StaleKeysShowEmptyUntilTheNextRefresh)
{
    list.Refresh();
    store.erase(40);  // bravo, row 1
    const int fills = store.fills;

    EXPECT_FALSE(cell(1, 1).isValid());
    EXPECT_FALSE(cell(1, 0, Qt::DecorationRole).isValid());
    EXPECT_FALSE(cell(1, 1, Qt::FontRole).isValid());
    EXPECT_EQ(store.fills, fills) << "a column was asked about a vanished key";
    EXPECT_EQ(cell(2, 1).toString(), "charlie");

    // Drawing the whole list with the stale row must not reach a column with it either.
    list.show();
    list.grab();

    list.Refresh();
    EXPECT_EQ(names(), (std::vector<QString>{"alpha", "charlie", "delta"}));
}

TEST_F(VirtualList, TheSelectionFollowsItsKey)
{
    list.show();
    list.Refresh();
    EXPECT_EQ(list.SelectedRow(), -1);

    // Nothing selected: a refresh selects nothing.
    list.Refresh();
    EXPECT_FALSE(list.SelectedKey());

    list.AdjustSelectedItem(30, *list.Keys());  // charlie, row 2
    EXPECT_EQ(list.SelectedRow(), 2);
    EXPECT_EQ(list.currentIndex().row(), 2);

    // Rows sorting before it move the key down; the selection and focus go with it.
    store.put(1, {L"aaron", 0, false});
    store.put(2, {L"abel", 0, false});
    list.Refresh();
    EXPECT_EQ(list.SelectedKey(), 30);
    EXPECT_EQ(list.SelectedRow(), 4);
    EXPECT_EQ(list.currentIndex().row(), 4);
    EXPECT_EQ(list.selectionModel()->selectedRows().size(), 1);

    // The sort order changes by a click; the selection stays on the key.
    list.SortBy(1);
    EXPECT_EQ(list.SelectedKey(), 30);

    // The selected key goes away: the first row is selected.
    store.erase(30);
    list.Refresh();
    ASSERT_TRUE(list.SelectedKey());
    EXPECT_EQ(list.SelectedRow(), 0);
    EXPECT_EQ(list.currentIndex().row(), 0);

    // An empty source: no rows and no selection.
    store.clear();
    list.Refresh();
    EXPECT_EQ(list.model()->rowCount(), 0);
    EXPECT_EQ(list.SelectedRow(), -1);
    EXPECT_FALSE(list.SelectedKey());
}

TEST_F(VirtualList, RedrawItemsShowsChangedDataBehindTheSameKeys)
{
    list.Refresh();
    QSignalSpy changed(list.model(), &QAbstractItemModel::dataChanged);
    store.put(40, {L"bravo!", 2, false});
    list.RedrawItems();
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].value<QModelIndex>().row(), 0);
    EXPECT_EQ(changed[0][1].value<QModelIndex>().row(), 3);
    EXPECT_EQ(changed[0][1].value<QModelIndex>().column(), 2);
    EXPECT_EQ(cell(1, 1).toString(), "bravo!");
    EXPECT_EQ(cell(1, 1, Qt::FontRole).value<QFont>().weight(), QFont::Normal);
}

TEST_F(VirtualList, ALargeListAsksOnlyForTheCellsItDraws)
{
    constexpr int count = 10000;
    store.clear();
    for (int key = 0; key < count; ++key) store.put(key, Row{L"row " + std::to_wstring(key), key % 7, key % 3 == 0});
    list.SetSortColumn(2);
    list.show();

    list.Refresh();
    EXPECT_EQ(list.model()->rowCount(), count);
    EXPECT_EQ(store.fills, 0) << "a refresh asked for cells";
    EXPECT_EQ(store.bolds, 0);
    // By size, then (the sort being stable) in the source's order.
    const auto sorted = list.Keys();
    EXPECT_TRUE(std::is_sorted(sorted->begin(), sorted->end(),
                               [](int a, int b) { return std::make_pair(a % 7, a) < std::make_pair(b % 7, b); }));

    list.grab();  // draws the visible rows
    const int visibleRows = list.viewport()->height() / list.rowHeight(0) + 2;
    EXPECT_GT(store.fills, 0) << "nothing was drawn";
    EXPECT_LE(store.fills, visibleRows * 3 * 2);
    EXPECT_LE(store.bolds, visibleRows * 3 * 2);
    EXPECT_LE(store.exists, visibleRows * 3 * 6);

    // Scrolled to the end, the last rows are drawn and only those are asked for.
    list.scrollToBottom();
    const int before = store.fills;
    list.grab();
    EXPECT_GT(store.fills, before);
    EXPECT_LE(store.fills - before, visibleRows * 3 * 2);
    const QModelIndex last = list.indexAt(QPoint(5, list.viewport()->height() - 2));
    EXPECT_GT(last.row(), count - visibleRows);

    // A refresh keeps the scroll position, also when the selected row moves far away.
    list.AdjustSelectedItem(6, *list.Keys());  // the first of the largest size: row 0 once reversed
    const int position = list.verticalScrollBar()->value();
    ASSERT_GT(position, 0);
    list.SortBy(2);
    list.grab();
    EXPECT_EQ(list.SelectedRow(), 0);
    EXPECT_EQ(list.verticalScrollBar()->value(), position);
}

TEST(ColumnWidths, ReadsTheTableAndRejectsOtherTexts)
{
    using UI::VirtualList::ParseColumnWidths;
    EXPECT_EQ(UI::VirtualList::ColumnWidths(127), (std::vector<int>{36, 150, 150, 200, 80, 0, 0, 0}));
    EXPECT_EQ(UI::VirtualList::ColumnWidths(106), (std::vector<int>{275, 100, 170, 80}));
    EXPECT_EQ(ParseColumnWidths(L"50"), (std::vector<int>{50}));
    for (const wchar_t* bad : {L"", L"36,,70", L"36,70,", L",36", L"36;70", L"3 6", L"-1", L"99999999999"})
        EXPECT_THROW(ParseColumnWidths(bad), ostrel::logic_error) << Text::Narrow(bad);
}

TEST(CodeUnitOrder, ComparesLikeUtf16)
{
    using UI::VirtualList::CodeUnitLess;
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        bool less;
    };
    const Case cases[] = {
        {L"B", L"a", true},                  // case-sensitive: upper case first
        {L"a", L"B", false},
        {L"abc", L"abcd", true},             // a prefix first
        {L"abc", L"abc", false},
        {L"\u6a5f\u5668", L"\u30e6\u30fc", false},  // 機器 after ユー by code unit
        {L"\U0002000B", L"\uFF71", true},    // a surrogate pair before halfwidth katakana
        {L"\uFF71", L"\U0002000B", false},
        {L"\U0002000B", L"\u4e00", false},   // but after the common ideographs
        {L"\U0002000B", L"\U0002000C", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CodeUnitLess(c.a, c.b), c.less) << Text::Narrow(c.a) << " < " << Text::Narrow(c.b);

    // Text columns sort by that order.
    Store store;
    store.put(1, {L"\uFF71", 0, false});
    store.put(2, {L"\U0002000B", 0, false});
    store.lockDepth = 1;
    NameColumn column(store, 0);
    EXPECT_TRUE(column.Less(2, 1));
    column.SetAscending(false);
    EXPECT_TRUE(column.Less(1, 2));
}

TEST_F(VirtualList, WidthZeroColumnsAreThereButTakeNoSpace)
{
    auto hidden = std::make_shared<SizeColumn>(store, 3, 0);
    list.AddColumn(hidden);
    list.Refresh();
    EXPECT_EQ(list.columnWidth(3), 0);
    EXPECT_EQ(cell(0, 3).toString(), "1");
}

}  // namespace
