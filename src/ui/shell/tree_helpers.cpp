#include "ui/shell/tree_helpers.h"

#include <QComboBox>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace xunda {

QTreeWidgetItem* SelectTreeNodeByText(QTreeWidget* tree, const QString& caption) {
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->text(0) != caption) continue;
        tree->setCurrentItem(*it);
        tree->scrollToItem(*it, QAbstractItemView::PositionAtTop);
        return *it;
    }
    return nullptr;
}

void AddStrToComBoBox(const QString& text, QComboBox* box) {
    constexpr Qt::MatchFlags kExact = Qt::MatchExactly | Qt::MatchCaseSensitive;
    for (int i = box->findText(text, kExact); i >= 0; i = box->findText(text, kExact)) {
        box->removeItem(i);
    }
    box->insertItem(0, text);
    box->setCurrentIndex(0);  // removing the current entry would have put another one's text there
}

QStringList ListTexts(const std::vector<std::string>& texts) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(texts.size()));
    for (const std::string& text : texts) list.append(QString::fromStdString(text));
    return list;
}

}  // namespace xunda
