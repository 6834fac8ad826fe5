#pragma once
// The program's message box on the pop-up frame, 420 x 260, deleted when closed.
//
//   QtMessageBox::information(parent, title, text)
//       "确定" only; shown without blocking; returns at once. The box deletes itself when
//       closed (keep a QPointer if you hold on to the returned pointer).
//   QtMessageBox::question(parent, title, text)
//       "是" and "否"; modal, runs its own event loop; true only when "是" was clicked
//       (the close button and "否" answer false). The result equals QDialog::Accepted /
//       QDialog::Rejected when compared as an int.
//
// Double-clicking the message copies it to the clipboard and closes the box.

#include "widgets/popwindow.h"

class QtMessageView;

class QtMessageBox : public PopWindow {
  Q_OBJECT
public:
  enum Kind { Information, Question };

  static QtMessageBox *information(QWidget *parent, const QString &title, const QString &text);
  static bool question(QWidget *parent, const QString &title, const QString &text);

  QtMessageBox(QWidget *parent, const QString &title, const QString &text, Kind kind);

  Kind kind() const { return m_kind; }
  QString message() const { return m_message; }
  QtMessageView *view() const { return m_view; }

public slots:
  void onOkClicked();
  void onCancelClicked();
  void onMessageDoubleClicked();

private:
  Kind m_kind;
  QString m_message;
  QtMessageView *m_view = nullptr;
};
