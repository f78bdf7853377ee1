// Helpers every page uses: switching pages by a tree caption, keeping a combo box's history and
// filling a list in one step.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

class QComboBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace xunda {

// Selects the first node (depth first) whose caption equals `caption` exactly, scrolls it to the
// top and returns it; selecting it switches the page. Null, and no change, when none matches.
QTreeWidgetItem* SelectTreeNodeByText(QTreeWidget* tree, const QString& caption);

// Moves `text` to the top of the combo box's list and shows it in the box.
void AddStrToComBoBox(const QString& text, QComboBox* box);

// The texts as one list, so that a list or a combo box takes them in one step (a million items
// added one at a time take minutes).
QStringList ListTexts(const std::vector<std::string>& texts);

}  // namespace xunda
