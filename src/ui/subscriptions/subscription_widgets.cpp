#include "ui/subscriptions/subscription_widgets.h"

#include <QDateEdit>

namespace xunda {

QDateEdit* Picker(const char* name, QWidget* parent, const QString& format) {
    auto* picker = Named(new QDateEdit(parent), name);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(format);
    return picker;
}

}  // namespace xunda
