// A read-only table model over rows held in memory (a ResultSet) with the grid's column titles:
// the small grids of the subscription pages.
#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <vector>

#include "store/grid_files.h"
#include "store/result_set.h"

namespace xunda {

class ResultGridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // `rows` gives the rows shown; call Reset after they changed.
    ResultGridModel(std::function<const ResultSet&()> rows, std::vector<GridColumn> columns, QObject* parent);

    void Reset();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::function<const ResultSet&()> rows_;
    std::vector<GridColumn> columns_;
};

}  // namespace xunda
