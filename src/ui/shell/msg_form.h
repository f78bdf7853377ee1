// The busy window: a small frameless notice over the main window telling what long task runs,
// with a clock. While it is shown the main window takes no input; boxes over it do. Show, Close and SetText
// may be called from any thread; nested tasks are counted, so the notice goes away when the last one closes.
// A text longer than the notice is shortened at its end; the window system cannot close the notice
// while a task runs.
#pragma once

#include <QPointer>
#include <QWidget>

#include "core/ports.h"

class QLabel;
class QTimer;

namespace xunda {

class MsgForm : public QWidget {
    Q_OBJECT
  public:
    MsgForm(GuiBridge& bridge, QWidget* mainWindow);

    void Show(const std::string& text);
    void Close();
    // Changes the text alone (shown or not, the window stays as it is). Posted: the caller never
    // waits for the GUI thread.
    void SetText(const std::string& text);

    // GUI thread: how many shows are open, the task's text (whole) and the clock's.
    int Depth() const { return depth_; }
    QString Text() const { return text_; }
    QString Clock() const;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void SetMsg(const QString& text);
    void ShowOnGui(const QString& text);
    void CloseOnGui();
    void HoldInput(bool hold);
    void Timer1Timer();

    GuiBridge& bridge_;
    QPointer<QWidget> mainWindow_;
    QPointer<QWidget> focusBefore_;  // given the focus back when the input is released
    QLabel* msg_;
    QLabel* label1_;
    QTimer* timer1_;
    QString text_;
    int depth_ = 0;
};

}  // namespace xunda
