// The program's multi-line text box (messages, number lists). Every multi-line box is one, so that
// a paste or a drop of data holding no text inserts nothing: the Qt of Debian 12 (6.4) ends the
// program on data without any format, which is what the clipboard of a program that has closed
// gives.
#pragma once

#include <QPlainTextEdit>

namespace xunda {

class TextBox : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit TextBox(QWidget* parent = nullptr) : QPlainTextEdit(parent) {}

  protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};

}  // namespace xunda
