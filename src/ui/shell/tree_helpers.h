// Helpers every page uses: switching pages by a tree caption and keeping a combo box's history.
#pragma once

#include <QString>

class QComboBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace xunda {

// Selects the first node (depth first) whose caption equals `caption` exactly, scrolls it to the
// top and returns it; selecting it switches the page. Null, and no change, when none matches.
QTreeWidgetItem* SelectTreeNodeByText(QTreeWidget* tree, const QString& caption);

// Moves `text` to the top of the combo box's list and shows it in the box.
void AddStrToComBoBox(const QString& text, QComboBox* box);

}  // namespace xunda
