// What the subscription pages and dialogs share: named widgets and date pickers.
#pragma once

#include <QDate>
#include <QString>

#include "ui/shell/calendar_day.h"

class QDateEdit;
class QWidget;

namespace xunda {

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

// A date picker with a calendar, showing days as "yyyy-MM-dd" unless `format` says otherwise.
QDateEdit* Picker(const char* name, QWidget* parent, const QString& format = QStringLiteral("yyyy-MM-dd"));

}  // namespace xunda
