#include "widgets/qtmessagebox.h"

#include "widgets/qtmessageview.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QVBoxLayout>

QtMessageBox::QtMessageBox(QWidget *parent, const QString &title, const QString &text, Kind kind)
    : PopWindow(parent), m_kind(kind), m_message(text) {
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(420, 260);
  setTitle(title);

  m_view = new QtMessageView(this);
  m_view->setObjectName(QStringLiteral("messageView"));
  m_view->setIconName(QStringLiteral("info"));
  m_view->setMessage(text);
  if (kind == Question)
    m_view->setButtonTexts(QStringLiteral("是"), QStringLiteral("否"));
  else
    m_view->setButtonTexts(QStringLiteral("确定"), QString());
  mainLayout()->addWidget(m_view, 1);

  connect(m_view, &QtMessageView::okClicked, this, &QtMessageBox::onOkClicked);
  connect(m_view, &QtMessageView::cancelClicked, this, &QtMessageBox::onCancelClicked);
  connect(m_view, &QtMessageView::messageDoubleClicked, this, &QtMessageBox::onMessageDoubleClicked);
}

QtMessageBox *QtMessageBox::information(QWidget *parent, const QString &title, const QString &text) {
  auto *box = new QtMessageBox(parent, title, text, Information);
  box->show();
  return box;
}

bool QtMessageBox::question(QWidget *parent, const QString &title, const QString &text) {
  auto *box = new QtMessageBox(parent, title, text, Question);
  // exec() deletes the box itself once its loop ends (delete-on-close dialog).
  return box->exec() == QDialog::Accepted;
}

void QtMessageBox::onOkClicked() {
  accept();
  close();
}

void QtMessageBox::onCancelClicked() {
  reject();
  close();
}

void QtMessageBox::onMessageDoubleClicked() {
  QGuiApplication::clipboard()->setText(m_message);
  close();
}
