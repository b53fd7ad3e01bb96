#include "Norvane/UI/VirtualList/ListView.hpp"

#include <QAbstractTableModel>
#include <QFont>
#include <QHeaderView>
#include <QItemSelectionModel>

#include <algorithm>

namespace UI::VirtualList {

namespace {

struct Header {
    QString caption;
    int width = 0;
};

}  // namespace

// The model holds no data: a row count and the headers. Every cell question goes back
// to the view's owner, so only the cells being drawn are ever asked for.
class ListView::Model : public QAbstractTableModel {
public:
    explicit Model(ListView& view) : QAbstractTableModel(&view), view_(view) {}

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(headers_.size());
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || section < 0 || section >= columnCount(QModelIndex()))
            return {};
        if (role == Qt::DisplayRole) return headers_[static_cast<std::size_t>(section)].caption;
        return {};
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rows_) return {};
        try {
            switch (role) {
            case Qt::DisplayRole: return text(index);
            case Qt::DecorationRole: return image(index);
            case Qt::FontRole: return font(index);
            default: return {};
            }
        } catch (...) {
            view_.ReportError(std::current_exception());
            return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    void insertHeader(int position, Header header)
    {
        beginInsertColumns(QModelIndex(), position, position);
        headers_.insert(headers_.begin() + position, std::move(header));
        endInsertColumns();
    }

    void setRows(int rows)
    {
        beginResetModel();
        rows_ = rows;
        endResetModel();
    }

    int rows() const { return rows_; }

    void redraw(int first, int last)
    {
        if (first > last || headers_.empty()) return;
        emit dataChanged(index(first, 0), index(last, columnCount(QModelIndex()) - 1),
                         {Qt::DisplayRole, Qt::DecorationRole, Qt::FontRole});
    }

    std::vector<QIcon> images;

private:
    QVariant text(const QModelIndex& index) const
    {
        DisplayItem item{index.row(), index.column(), DisplayItem::Text, {}, -1};
        if (!view_.GetDisplayInfo(item) || !(item.mask & DisplayItem::Text)) return {};
        return QString::fromStdWString(item.text);
    }

    QVariant image(const QModelIndex& index) const
    {
        DisplayItem item{index.row(), index.column(), DisplayItem::Image, {}, -1};
        if (!view_.GetDisplayInfo(item) || !(item.mask & DisplayItem::Image)) return {};
        if (item.image < 0 || static_cast<std::size_t>(item.image) >= images.size()) return {};
        return images[static_cast<std::size_t>(item.image)];
    }

    QVariant font(const QModelIndex& index) const
    {
        const auto bold = view_.IsBoldCell(index.row(), index.column());
        if (!bold) return {};
        QFont font = view_.font();
        font.setWeight(*bold ? QFont::Bold : QFont::Normal);
        return font;
    }

    ListView& view_;
    int rows_ = 0;
    std::vector<Header> headers_;
};

struct ListView::Pimpl {
    Model* model = nullptr;  // owned by the view as its QObject child
    ErrorHandler onError;
};

ListView::ListView(QWidget* parent) : QTableView(parent), pimpl_(std::make_unique<Pimpl>())
{
    pimpl_->model = new Model(*this);
    setModel(pimpl_->model);

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setIconSize(QSize(16, 16));
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    // Row heights never come from the rows' contents: measuring them would ask every row.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(std::max(fontMetrics().height() + 4, 18));

    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    connect(header, &QHeaderView::sectionClicked, this, [this](int column) {
        try {
            OnColumnClick(column);
        } catch (...) {
            ReportError(std::current_exception());
        }
    });
}

ListView::~ListView() = default;

void ListView::InsertColumn(int position, const std::wstring& caption, int width)
{
    position = std::clamp(position, 0, ColumnCount());
    pimpl_->model->insertHeader(position, Header{QString::fromStdWString(caption), width});
    horizontalHeader()->resizeSection(position, std::max(width, 0));
}

int ListView::ColumnCount() const
{
    return pimpl_->model->columnCount(QModelIndex());
}

int ListView::ItemCount() const
{
    return pimpl_->model->rows();
}

void ListView::SetImages(std::vector<QIcon> images)
{
    pimpl_->model->images = std::move(images);
    viewport()->update();
}

int ListView::SelectedRow() const
{
    int first = -1;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        if (first < 0 || index.row() < first) first = index.row();
    return first;
}

void ListView::SetErrorHandler(ErrorHandler handler)
{
    pimpl_->onError = std::move(handler);
}

void ListView::SetItemCount(int count)
{
    // A reset keeps the scroll position (clamped to the new rows) and leaves no row drawn
    // from before.
    pimpl_->model->setRows(std::max(count, 0));
}

void ListView::RedrawRows(int first, int last)
{
    pimpl_->model->redraw(std::max(first, 0), std::min(last, ItemCount() - 1));
}

void ListView::SelectRow(int row)
{
    const bool scrolls = hasAutoScroll();
    setAutoScroll(false);
    selectionModel()->setCurrentIndex(model()->index(row, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    setAutoScroll(scrolls);
}

void ListView::ShowSortIndicator(int column, bool ascending)
{
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void ListView::ReportError(std::exception_ptr error) const
{
    if (pimpl_->onError) {
        pimpl_->onError(error);
        return;
    }
    // Nobody can receive it: the window system called us. Ending the process here
    // names the error; unwinding through the toolkit would not.
    [](std::exception_ptr e) noexcept { std::rethrow_exception(e); }(error);
}

}  // namespace UI::VirtualList
