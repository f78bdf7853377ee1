#include "ui/shell/page.h"

#include <QLabel>
#include <QVBoxLayout>

namespace xunda {

Page::Page(QWidget* parent) : QWidget(parent), title_(new QLabel(this)), body_(new QVBoxLayout) {
    QFont bold = title_->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    title_->setFont(bold);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addLayout(body_, 1);
    layout->addStretch(0);  // takes the height while the body is empty, so the title stays on top
}

void Page::Open(const QString&, const QString&) {}

void Page::DatabaseReopened() {}

}  // namespace xunda
