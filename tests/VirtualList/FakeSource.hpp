#pragma once
// A small data model for the virtual list tests: rows in store order, a lock that is
// only a depth counter, and columns that count how often the list asks them.

#include "Norvane/UI/VirtualList/Control.hpp"

#include <ostrel/exception.hpp>

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace fake {

using namespace UI::VirtualList;

struct Row {
    std::wstring name;
    int size = 0;
    bool unread = false;
};

struct Store {
    std::vector<int> order;  // store order
    std::map<int, Row> rows;
    int lockDepth = 0;
    // What the columns saw: reads without the lock, reads of keys without data.
    int unlockedReads = 0;
    int staleReads = 0;
    // How often the list asked for cells.
    int fills = 0;
    int bolds = 0;
    int exists = 0;

    const Row* find(int key) const
    {
        auto it = rows.find(key);
        return it == rows.end() ? nullptr : &it->second;
    }
    const Row& read(int key)
    {
        if (lockDepth <= 0) ++unlockedReads;
        static const Row none;
        const Row* row = find(key);
        if (!row) ++staleReads;
        return row ? *row : none;
    }
    void put(int key, Row row)
    {
        if (!rows.count(key)) order.push_back(key);
        rows[key] = std::move(row);
    }
    void erase(int key)
    {
        rows.erase(key);
        order.erase(std::remove(order.begin(), order.end(), key), order.end());
    }
    void clear()
    {
        rows.clear();
        order.clear();
    }
};

class KeysFailure : public ostrel::runtime_error {
public:
    const char* what() const noexcept override { return "KeysFailure"; }
};

class FakeSource : public Source<int, Store> {
public:
    explicit FakeSource(Store& store) : store_(store) {}

    std::shared_ptr<container_type> Keys() const override
    {
        if (failKeys) OSTREL_THROW(KeysFailure());
        auto keys = std::make_shared<container_type>();
        *keys = store_.order;
        return keys;
    }
    bool Exists(const int& key) const override
    {
        ++store_.exists;
        return store_.find(key) != nullptr;
    }
    void Lock() const override { ++store_.lockDepth; }
    void Unlock() const override { --store_.lockDepth; }

    bool failKeys = false;

private:
    Store& store_;
};

/// The row's name; bold while the row is unread.
class NameColumn : public TextColumn<Store, int> {
public:
    NameColumn(Store& store, int index, int width = 120) : TextColumn(store, index, L"Name", width) {}
    std::wstring Text(const int& key) const override
    {
        if (failText) throw std::runtime_error("no text");
        return model().read(key).name;
    }
    bool IsBold(const int& key) const override
    {
        ++model().bolds;
        return model().read(key).unread;
    }
    void Fill(const int& key, DisplayItem& item) const override
    {
        ++model().fills;
        TextColumn::Fill(key, item);
    }
    bool Less(const int& a, const int& b) const override
    {
        if (failLess) throw std::runtime_error("comparison failed");
        return TextColumn::Less(a, b);
    }
    bool failLess = false;
    bool failText = false;
};

/// Shows the size as text but orders by the number, as a status column orders by its code.
class SizeColumn : public TextColumn<Store, int> {
public:
    SizeColumn(Store& store, int index, int width = 60) : TextColumn(store, index, L"Size", width) {}
    std::wstring Text(const int& key) const override { return std::to_wstring(model().read(key).size); }
    bool Less(const int& a, const int& b) const override { return OrderedBy(model().read(a).size, model().read(b).size); }
    void Fill(const int& key, DisplayItem& item) const override
    {
        ++model().fills;
        TextColumn::Fill(key, item);
    }
};

/// Image 2 for an unread row, 1 otherwise.
class FlagColumn : public ImageColumn<Store, int> {
public:
    FlagColumn(Store& store, int index, int width = 36) : ImageColumn(store, index, L"", width) {}
    int Image(const int& key) const override { return model().read(key).unread ? 2 : 1; }
    void Fill(const int& key, DisplayItem& item) const override
    {
        ++model().fills;
        ImageColumn::Fill(key, item);
    }
};

}  // namespace fake
