// A page of the main window's page area: a title label on top, the page's controls below. Pages
// of the subsystems derive from it and register themselves (page_registry.h).
#pragma once

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace xunda {

class Page : public QWidget {
    Q_OBJECT
  public:
    explicit Page(QWidget* parent = nullptr);

    QLabel* TitleLabel() const { return title_; }
    // The page's work each time its tree node is selected: `caption` is the node's caption,
    // `param` the text passed to menuClick (empty from the tree).
    virtual void Open(const QString& caption, const QString& param);
    // The database is about to be closed and opened again (change of account, clearing all data):
    // whatever the page lists from it goes.
    virtual void DatabaseReopened();

  protected:
    // The layout below the title label, for the page's controls.
    QVBoxLayout* Body() const { return body_; }

  private:
    QLabel* title_;
    QVBoxLayout* body_;
};

}  // namespace xunda
