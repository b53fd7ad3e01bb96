#pragma once
// The columns of a virtual list. A column knows, for a key, the cell's value (a text or
// an image index), whether the cell is bold, and how two keys order; the list asks it
// only for the cells it draws and, when sorting, for comparisons.

#include "Norvane/UI/VirtualList/ListView.hpp"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace UI::VirtualList {

template <class Key>
class BaseColumn {
public:
    using key_type = Key;

    virtual ~BaseColumn() = default;
    /// The column's position in its list.
    virtual int Index() const = 0;
    /// The current sort direction.
    virtual bool Ascending() const = 0;
    virtual void SetAscending(bool ascending) = 0;
    /// Puts the cell's value into the request, if the request asks for this kind of value.
    virtual void Fill(const Key& key, DisplayItem& item) const = 0;
    /// The sort order of two rows, in the current direction.
    virtual bool Less(const Key& a, const Key& b) const = 0;
    /// Adds the column's header to the list at `position`.
    virtual void Insert(ListView& list, int position) const = 0;
    virtual bool IsBold(const Key&) const { return false; }
};

/// Texts order by their UTF-16 code units, exactly and case-sensitively: the order the
/// stored texts have everywhere else. Wide strings here hold whole code points, which
/// order differently once a character lies beyond U+FFFF (its leading surrogate sorts
/// below U+E000 .. U+FFFF, halfwidth katakana among them).
inline bool CodeUnitLess(const std::wstring& a, const std::wstring& b)
{
    auto leadingUnit = [](wchar_t c) -> unsigned long {
        const auto code = static_cast<unsigned long>(c);
        return code < 0x10000 ? code : 0xD800 + ((code - 0x10000) >> 10);
    };
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] == b[i]) continue;
        const unsigned long x = leadingUnit(a[i]), y = leadingUnit(b[i]);
        if (x != y) return x < y;
        return static_cast<unsigned long>(a[i]) < static_cast<unsigned long>(b[i]);
    }
    return a.size() < b.size();
}

/// Cells that show a text.
struct TextKind {
    using value_type = std::wstring;
    static constexpr unsigned mask = DisplayItem::Text;
    static void Put(DisplayItem& item, value_type value) { item.text = std::move(value); }
    static bool Less(const value_type& a, const value_type& b) { return CodeUnitLess(a, b); }
};

/// Cells that show an image of the list's image list.
struct ImageKind {
    using value_type = int;
    static constexpr unsigned mask = DisplayItem::Image;
    static void Put(DisplayItem& item, value_type value) { item.image = value; }
    static bool Less(value_type a, value_type b) { return a < b; }
};

/// A column bound to the data it shows (`Model`: the entry manager, a user list), with
/// its header and sort direction. Rows sort by their cells' values unless a column
/// orders by something else (an event time, a status code) and overrides Less.
template <class Model, class Key, class Kind>
class Column : public BaseColumn<Key> {
public:
    using model_type = Model;
    using value_type = typename Kind::value_type;

    Column(Model& model, int index, std::wstring caption, int width, bool ascending = true)
        : model_(model), index_(index), caption_(std::move(caption)), width_(width), ascending_(ascending)
    {
    }

    int Index() const override { return index_; }
    bool Ascending() const override { return ascending_; }
    void SetAscending(bool ascending) override { ascending_ = ascending; }
    const std::wstring& Caption() const { return caption_; }
    int Width() const { return width_; }

    void Insert(ListView& list, int position) const override { list.InsertColumn(position, caption_, width_); }

    void Fill(const Key& key, DisplayItem& item) const override
    {
        if (item.mask & Kind::mask) Kind::Put(item, Value(key));
    }

    bool Less(const Key& a, const Key& b) const override { return Ordered(Value(a), Value(b)); }

    /// The cell's value.
    virtual value_type Value(const Key& key) const = 0;

protected:
    Model& model() const { return model_; }

    /// `a` before `b` in the current direction, by the kind's order.
    bool Ordered(const value_type& a, const value_type& b) const
    {
        return ascending_ ? Kind::Less(a, b) : Kind::Less(b, a);
    }
    /// The same for columns that order by a value of their own.
    template <class T>
    bool OrderedBy(const T& a, const T& b) const
    {
        return ascending_ ? a < b : b < a;
    }

private:
    Model& model_;
    int index_;
    std::wstring caption_;
    int width_;
    bool ascending_;
};

/// A column of texts: concrete columns give Text.
template <class Model, class Key>
class TextColumn : public Column<Model, Key, TextKind> {
public:
    using Column<Model, Key, TextKind>::Column;
    virtual std::wstring Text(const Key& key) const = 0;
    std::wstring Value(const Key& key) const final { return Text(key); }
};

/// A column of images: concrete columns give Image, an index into the list's images.
template <class Model, class Key>
class ImageColumn : public Column<Model, Key, ImageKind> {
public:
    using Column<Model, Key, ImageKind>::Column;
    virtual int Image(const Key& key) const = 0;
    int Value(const Key& key) const final { return Image(key); }
};

/// The column widths in pixels kept in the string table as "36,150,150,200,80,0,0,0".
std::vector<int> ColumnWidths(unsigned int stringId);
/// The same for a text; a text that is not such a list raises ostrel::logic_error.
std::vector<int> ParseColumnWidths(const std::wstring& text);

}  // namespace UI::VirtualList
