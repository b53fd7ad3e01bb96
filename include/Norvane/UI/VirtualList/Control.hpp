#pragma once
// A virtual list: the list window, its columns, and the sorted keys of the rows it
// shows. Rows are read from the source cell by cell while they are drawn, always with
// the source locked; a key whose data went away since the last refresh is answered as
// not handled, so its row shows empty until the next Refresh drops it.

#include "Norvane/UI/VirtualList/Column.hpp"
#include "Norvane/UI/VirtualList/ListView.hpp"
#include "Norvane/UI/VirtualList/Source.hpp"

#include <ostrel/exception.hpp>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace UI::VirtualList {

/// A control needs its source before it can list anything.
class NoSource : public ostrel::logic_error {
public:
    const char* what() const noexcept override { return "UI::VirtualList::NoSource"; }
};

template <class SourceT>
class Control : public ListView {
public:
    using source_type = SourceT;
    using key_type = typename SourceT::key_type;
    using container_type = typename SourceT::container_type;
    using column_type = BaseColumn<key_type>;

    explicit Control(QWidget* parent = nullptr) : ListView(parent), keys_(std::make_shared<container_type>()) {}

    /// The source is the owner's; it must outlive the control or be replaced first.
    void SetSource(SourceT* source) { source_ = source; }
    SourceT* GetSource() const { return source_; }

    /// Appends a column and its header.
    void AddColumn(std::shared_ptr<column_type> column)
    {
        column->Insert(*this, ColumnCount());
        columns_.push_back(std::move(column));
    }
    const std::vector<std::shared_ptr<column_type>>& Columns() const { return columns_; }

    /// The column the next Refresh sorts by (its direction is the column's own).
    void SetSortColumn(int index) { sortColumn_ = index; }
    int SortColumn() const { return sortColumn_; }

    /// The keys of the rows, in row order.
    std::shared_ptr<const container_type> Keys() const { return keys_; }

    /// The key of the selected row, if a row is selected.
    std::optional<key_type> SelectedKey() const
    {
        const int row = SelectedRow();
        if (row < 0 || static_cast<std::size_t>(row) >= keys_->size()) return std::nullopt;
        return (*keys_)[static_cast<std::size_t>(row)];
    }

    /// Takes the source's keys anew, sorts them, and keeps the selection on the same key
    /// (on the first row when that key is gone). On failure the previous keys stay.
    void Refresh()
    {
        if (!source_) OSTREL_THROW(NoSource());
        const std::optional<key_type> selected = SelectedKey();

        std::shared_ptr<container_type> keys;
        {
            // Sorting reads the rows' data, which must not change under it.
            ScopedLock<SourceT> lock(*source_);
            keys = source_->Keys();
            if (!keys) keys = std::make_shared<container_type>();
            Sort(*keys);
        }

        const std::shared_ptr<container_type> previous = keys_;
        try {
            keys_ = keys;
            ResetItemCount();
            if (selected) AdjustSelectedItem(*selected, *keys_);
        } catch (...) {
            keys_ = previous;
            try {
                ResetItemCount();
            } catch (...) {
                // The first failure is the one to report.
            }
            throw;
        }
        ShowSortState();
    }

    /// Makes the list's row count that of the keys, keeping the scroll position.
    void ResetItemCount() { SetItemCount(static_cast<int>(keys_->size())); }

    /// Draws every row again: the data behind unchanged keys changed.
    void RedrawItems() { RedrawRows(0, static_cast<int>(keys_->size()) - 1); }

    /// Selects and focuses the row of `key` in `keys` (the first row when it is absent),
    /// clearing the previous selection. Nothing happens for empty keys.
    void AdjustSelectedItem(const key_type& key, const container_type& keys)
    {
        if (keys.empty()) return;
        const auto found = std::find(keys.begin(), keys.end(), key);
        SelectRow(found == keys.end() ? 0 : static_cast<int>(found - keys.begin()));
    }

    /// A header click: sort by `column`, in the reverse of its current direction. If the
    /// refresh fails, the previous sort column and direction come back.
    void SortBy(int column)
    {
        if (column < 0 || static_cast<std::size_t>(column) >= columns_.size()) return;
        const int previousColumn = sortColumn_;
        column_type& clicked = *columns_[static_cast<std::size_t>(column)];
        const bool previousAscending = clicked.Ascending();

        sortColumn_ = column;
        clicked.SetAscending(!previousAscending);
        try {
            Refresh();
        } catch (...) {
            clicked.SetAscending(previousAscending);
            sortColumn_ = previousColumn;
            ShowSortState();
            throw;
        }
    }

protected:
    bool GetDisplayInfo(DisplayItem& item) const override
    {
        const auto keys = keys_;  // a column may refresh the list under us
        const key_type* key = KeyAt(*keys, item.row);
        const column_type* column = ColumnAt(item.column);
        if (!key || !column || !source_) return false;
        ScopedLock<SourceT> lock(*source_);
        if (!source_->Exists(*key)) return false;
        column->Fill(*key, item);
        return true;
    }

    std::optional<bool> IsBoldCell(int row, int columnIndex) const override
    {
        const auto keys = keys_;
        const key_type* key = KeyAt(*keys, row);
        const column_type* column = ColumnAt(columnIndex);
        if (!key || !column || !source_) return std::nullopt;
        ScopedLock<SourceT> lock(*source_);
        if (!source_->Exists(*key)) return std::nullopt;
        return column->IsBold(*key);
    }

    void OnColumnClick(int column) override { SortBy(column); }

private:
    static const key_type* KeyAt(const container_type& keys, int row)
    {
        if (row < 0 || static_cast<std::size_t>(row) >= keys.size()) return nullptr;
        return &keys[static_cast<std::size_t>(row)];
    }

    const column_type* ColumnAt(int index) const
    {
        if (index < 0 || static_cast<std::size_t>(index) >= columns_.size()) return nullptr;
        return columns_[static_cast<std::size_t>(index)].get();
    }

    void Sort(container_type& keys) const
    {
        const column_type* column = ColumnAt(sortColumn_);
        if (!column) return;
        std::stable_sort(keys.begin(), keys.end(),
                         [column](const key_type& a, const key_type& b) { return column->Less(a, b); });
    }

    void ShowSortState()
    {
        if (const column_type* column = ColumnAt(sortColumn_)) ShowSortIndicator(sortColumn_, column->Ascending());
    }

    SourceT* source_ = nullptr;
    std::vector<std::shared_ptr<column_type>> columns_;
    int sortColumn_ = 0;
    std::shared_ptr<container_type> keys_;
};

}  // namespace UI::VirtualList
