// The Excel page's grid: a read-only table model over a loaded worksheet, columns named
// "第0列", "第1列", ... by position.
#pragma once

#include <QAbstractTableModel>
#include <memory>

#include "compose/office_readers.h"

namespace xunda {

class SheetModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetSheet(std::shared_ptr<const SheetGrid> sheet);
    // The sheet shown. It is never changed, only replaced: a worker that holds it reads it while a
    // new load takes its place here.
    const std::shared_ptr<const SheetGrid>& Sheet() const { return sheet_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::shared_ptr<const SheetGrid> sheet_ = std::make_shared<const SheetGrid>();
};

}  // namespace xunda
