#include "ui/subscriptions/subscription_widgets.h"

#include <QDateEdit>
#include <QListWidget>

namespace xunda {

QDateEdit* Picker(const char* name, QWidget* parent, const QString& format) {
    auto* picker = Named(new QDateEdit(parent), name);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(format);
    return picker;
}

void FillCheckList(QListWidget* list, const std::vector<std::string>& names) {
    list->clear();
    for (const std::string& name : names) {
        auto* item = new QListWidgetItem(QString::fromStdString(name), list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

std::vector<std::string> TickedNames(const QListWidget* list) {
    std::vector<std::string> names;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->checkState() == Qt::Checked) names.push_back(list->item(i)->text().toStdString());
    }
    return names;
}

void TickAll(QListWidget* list, bool ticked) {
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

}  // namespace xunda
