#include "boxdriver.h"

#include "widgets/qtmessagebox.h"

#include <QApplication>
#include <QTimer>

BoxDriver::BoxDriver(bool yes) : yes_(yes), timer_(new QTimer) {
  timer_->setInterval(20);
  QObject::connect(timer_, &QTimer::timeout, [this] { poll(); });
  timer_->start();
}

BoxDriver::~BoxDriver() { delete timer_; }

void BoxDriver::poll() {
  for (QWidget *w : QApplication::topLevelWidgets()) {
    auto *box = qobject_cast<QtMessageBox *>(w);
    if (!box || !box->isVisible() || box->kind() != QtMessageBox::Question) continue;
    questions_ << box->title() + QLatin1Char('|') + box->message();
    if (yes_)
      box->onOkClicked();
    else
      box->onCancelClicked();
  }
}

QStringList BoxDriver::openInformation() {
  QStringList out;
  for (QWidget *w : QApplication::topLevelWidgets()) {
    auto *box = qobject_cast<QtMessageBox *>(w);
    if (box && box->isVisible() && box->kind() == QtMessageBox::Information)
      out << box->title() + QLatin1Char('|') + box->message();
  }
  return out;
}

void BoxDriver::closeInformation() {
  for (QWidget *w : QApplication::topLevelWidgets()) {
    auto *box = qobject_cast<QtMessageBox *>(w);
    if (box && box->kind() == QtMessageBox::Information) box->close();
  }
}
