#include "widgets/tips.h"

#include "core/tipthrottle.h"
#include "widgets/qtmessagebox.h"

#include <QDateTime>
#include <QDebug>

namespace {

const QString kErrorTitle = QStringLiteral("错误");

} // namespace

void ShowCodeErrorTips(int code, const QString &message, QWidget *parent, const QString &detail) {
  qDebug("ShowCodeErrorTips:%d, %s, %s", code, qUtf8Printable(message), qUtf8Printable(detail));
  const QString text = QStringLiteral("错误码:   ") + QString::number(code) + QStringLiteral("\n错误信息: ") + message;
  QtMessageBox::information(parent, kErrorTitle, text);
}

void ShowCodeErrorTips(const QString &message, QWidget *parent) {
  qDebug("ShowCodeErrorTips:%s", qUtf8Printable(message));
  QtMessageBox::information(parent, kErrorTitle, message);
}

void showTips(const QString &title, const QString &text, QWidget *parent) {
  static TipThrottle throttle;
  if (throttle.request(text, QDateTime::currentMSecsSinceEpoch())) QtMessageBox::information(parent, title, text);
}
