// The table model of every list page: a thin view of a RowPager (rows read lazily in blocks, the
// rowids past the first block when the view is scrolled to them),
// with the grid's column titles as headers. Columns made editable write through the pager.
#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/row_pager.h"

namespace xunda {

class QueryGridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // The model follows every change of the pager's list; it must not outlive the pager's use.
    QueryGridModel(RowPager& grid, QObject* parent);

    RowPager& grid() const { return grid_; }
    // Stores an edit of a field in a row; false when refused.
    using Editor = std::function<bool(std::size_t row, const std::string& field,
                                      const std::optional<std::string_view>& text)>;
    // Fields the user may edit in place, stored at once through `editor` (an empty text as NULL).
    void SetEditable(std::vector<std::string> fields, Editor editor) {
        editable_ = std::move(fields);
        editor_ = std::move(editor);
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // The rest of a listing is read when the view reaches the end of the rows it has.
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

  private:
    bool Editable(int column) const;

    RowPager& grid_;
    std::vector<std::string> editable_;
    Editor editor_;
};

}  // namespace xunda
