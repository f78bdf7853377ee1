// What the subscription pages and dialogs share: named widgets, check lists of categories, days.
#pragma once

#include <QDate>
#include <QString>
#include <string>
#include <vector>

#include "ui/shell/calendar_day.h"

class QDateEdit;
class QListWidget;
class QWidget;

namespace xunda {

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

// A date picker with a calendar, showing days as "yyyy-MM-dd" unless `format` says otherwise.
QDateEdit* Picker(const char* name, QWidget* parent, const QString& format = QStringLiteral("yyyy-MM-dd"));

// Fills a check list with the names, every item unticked.
void FillCheckList(QListWidget* list, const std::vector<std::string>& names);
// The ticked names, in list order.
std::vector<std::string> TickedNames(const QListWidget* list);
// "全部选择": every item takes the state `ticked`.
void TickAll(QListWidget* list, bool ticked);

}  // namespace xunda
