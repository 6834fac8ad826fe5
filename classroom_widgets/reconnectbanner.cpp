#include "classroom_widgets/reconnectbanner.h"

#include <QEvent>

namespace {
constexpr int kTopMargin = 8;
}

const char ReconnectBanner::kText[] = "网络不稳定，正在重新连接…";

ReconnectBanner::ReconnectBanner(QWidget *parent) : QLabel(QString::fromUtf8(kText), parent) {
  setObjectName(QStringLiteral("reconnectBanner"));
  setAlignment(Qt::AlignCenter);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setStyleSheet(QStringLiteral("QLabel#reconnectBanner { background: rgba(40, 40, 40, 200); color: white;"
                               " border-radius: 4px; padding: 6px 16px; font-size: 14px; }"));
  adjustSize();
  hide();
  parent->installEventFilter(this);
}

void ReconnectBanner::setReconnecting(bool on) {
  if (on) {
    place();
    raise();
  }
  setVisible(on);
}

bool ReconnectBanner::eventFilter(QObject *watched, QEvent *event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize)
    place();
  return QLabel::eventFilter(watched, event);
}

void ReconnectBanner::place() {
  adjustSize();
  move((parentWidget()->width() - width()) / 2, kTopMargin);
}
