// A check list of names (the categories of the bulk-subscribe page and of the dialog
// "增加订阅内容"): a list view over a model of its own that is filled, and ticked or unticked
// whole, in one step, so that a million names take no longer than a first screen.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <optional>
#include <string>
#include <vector>

namespace xunda {

class CheckListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    // The names, every one unticked, in their order.
    void Fill(std::vector<std::string> names);
    // Every name takes the state `ticked`.
    void TickAll(bool ticked);
    // The ticked names, in list order.
    std::vector<std::string> TickedNames() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    std::vector<std::string> names_;
    std::vector<bool> ticked_;
};

class CheckList : public QListView {
    Q_OBJECT
  public:
    explicit CheckList(QWidget* parent);

    CheckListModel* checks() const { return model_; }
    // The names, every one unticked; nothing highlighted.
    void Fill(std::vector<std::string> names) { model_->Fill(std::move(names)); }
    int count() const { return model_->rowCount(); }
    // The highlighted name (the current item), if any.
    std::optional<std::string> Highlighted() const;

  private:
    CheckListModel* model_;
};

}  // namespace xunda
