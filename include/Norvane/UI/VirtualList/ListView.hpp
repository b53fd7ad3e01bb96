#pragma once
// The list window under every virtual list: a report view that owns no rows. It knows
// how many rows there are and asks its owner, cell by cell and only for the cells it
// draws, for their text, image and weight. Control (Control.hpp) is the owner that
// answers from keys and columns; this class is the part that does not depend on the
// key type.

#include <QIcon>
#include <QTableView>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace UI::VirtualList {

/// One request of the list for one cell: what it asks for, and the answer.
struct DisplayItem {
    enum Mask : unsigned { Text = 0x1, Image = 0x2 };

    int row = 0;
    int column = 0;
    unsigned mask = 0;   // what is asked for
    std::wstring text;   // the answer to Text
    int image = -1;      // the answer to Image: an index into the list's images
};

class ListView : public QTableView {
    Q_OBJECT

public:
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    explicit ListView(QWidget* parent = nullptr);
    ~ListView() override;

    /// Adds a header at `position` (0 .. ColumnCount()) with its caption and width in pixels.
    void InsertColumn(int position, const std::wstring& caption, int width);
    int ColumnCount() const;
    /// The number of rows the list believes it has.
    int ItemCount() const;
    /// The images that image answers index into (the list's image list).
    void SetImages(std::vector<QIcon> images);
    /// The first selected row, or -1.
    int SelectedRow() const;

    /// Receives failures raised while the list answers the window system (drawing a cell,
    /// a header click). Without one, such a failure ends the process: there is no caller
    /// left to pass it to.
    void SetErrorHandler(ErrorHandler handler);

protected:
    /// Sets the number of rows, keeping the scroll position; every row is drawn anew.
    void SetItemCount(int count);
    /// Draws rows first..last again (their data changed behind unchanged keys).
    void RedrawRows(int first, int last);
    /// Clears the selection and focus and gives both to `row`, without scrolling to it.
    void SelectRow(int row);
    void ShowSortIndicator(int column, bool ascending);

    /// Fills the answer; false leaves the request unanswered (the cell stays empty).
    virtual bool GetDisplayInfo(DisplayItem& item) const = 0;
    /// Whether the cell is drawn in bold; empty when the row has no data.
    virtual std::optional<bool> IsBoldCell(int row, int column) const = 0;
    /// The header of `column` was clicked.
    virtual void OnColumnClick(int column) = 0;

    void ReportError(std::exception_ptr error) const;

private:
    class Model;
    struct Pimpl;
    std::unique_ptr<Pimpl> pimpl_;
};

}  // namespace UI::VirtualList
