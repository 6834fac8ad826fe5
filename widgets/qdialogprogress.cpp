#include "widgets/qdialogprogress.h"

#include "widgets/compositing.h"
#include "widgets/qprogressindicator.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

QDialogProgress *QDialogProgress::instance() {
  static QPointer<QDialogProgress> box;
  if (!box) box = new QDialogProgress;
  return box;
}

QDialogProgress::QDialogProgress(QWidget *parent) : QDialog(parent) {
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  setFixedSize(260, 96);
  auto *outer = new QVBoxLayout(this);
  auto *card = new QWidget(this);
  card->setObjectName(QStringLiteral("widgetCard"));
  card->setAttribute(Qt::WA_StyledBackground);
  if (compositing::translucentWindowsBlend()) {
    // A rounded card inside a clear margin that leaves room for its shadow.
    setAttribute(Qt::WA_TranslucentBackground);
    outer->setContentsMargins(12, 12, 12, 12);
    card->setStyleSheet(QStringLiteral("#widgetCard { background-color: rgb(255, 255, 255); border-radius: 6px; }"));
    auto *shadow = new QGraphicsDropShadowEffect(card);
    shadow->setBlurRadius(18);
    shadow->setOffset(0, 2);
    shadow->setColor(QColor(0, 0, 0, 70));
    card->setGraphicsEffect(shadow);
  } else {
    // Unblended, the clear margin would come out black: the card fills the box instead.
    outer->setContentsMargins(0, 0, 0, 0);
    card->setStyleSheet(QStringLiteral("#widgetCard { background-color: rgb(255, 255, 255); border: 1px solid rgb(227, 229, 232); }"));
  }
  outer->addWidget(card);

  auto *row = new QHBoxLayout(card);
  row->setContentsMargins(18, 0, 18, 0);
  row->setSpacing(12);
  m_indicator = new QProgressIndicator(card);
  m_indicator->setObjectName(QStringLiteral("progressIndicator"));
  m_indicator->setFixedSize(28, 28);
  m_indicator->setColor(QColor(0xF0, 0xA8, 0x00));
  row->addWidget(m_indicator);

  auto *texts = new QVBoxLayout;
  texts->setSpacing(2);
  m_labelMsg = new QLabel(card);
  m_labelMsg->setObjectName(QStringLiteral("labelMsg"));
  m_labelMsg->setStyleSheet(QStringLiteral("color: rgb(102, 102, 102); font: 13px \"微软雅黑\";"));
  m_labelProgress = new QLabel(QStringLiteral("100%"), card);
  m_labelProgress->setObjectName(QStringLiteral("labelProgress"));
  m_labelProgress->setStyleSheet(QStringLiteral("color: rgb(37, 27, 24); font: 75 16px \"微软雅黑\";"));
  texts->addStretch();
  texts->addWidget(m_labelMsg);
  texts->addWidget(m_labelProgress);
  texts->addStretch();
  row->addLayout(texts, 1);

  m_hideTimer = new QTimer(this);
  m_hideTimer->setObjectName(QStringLiteral("hideTimer"));
  m_hideTimer->setSingleShot(true);
  connect(m_hideTimer, &QTimer::timeout, this, &QWidget::hide);

  // Queued, so that transfer threads may emit and the box still changes on its own thread.
  connect(this, &QDialogProgress::showProgress, this, &QDialogProgress::on_showProgress,
          Qt::QueuedConnection);
  connect(this, &QDialogProgress::hideAfter, this, &QDialogProgress::on_hideAfter,
          Qt::QueuedConnection);
}

QDialogProgress::~QDialogProgress() = default;

void QDialogProgress::on_showProgress(const QString &msg, int progress) {
  // New progress outlives an earlier request to hide.
  m_hideTimer->stop();
  m_labelMsg->setText(msg);
  m_labelMsg->setVisible(!msg.isEmpty());
  m_labelProgress->setText(QString::number(progress) + QLatin1Char('%'));
  show();
}

void QDialogProgress::on_hideAfter(int milliseconds) {
  if (milliseconds <= 0) {
    m_hideTimer->stop();
    hide();
    return;
  }
  m_hideTimer->start(milliseconds);
}

void QDialogProgress::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  m_indicator->startAnimation();
}

void QDialogProgress::hideEvent(QHideEvent *event) {
  QDialog::hideEvent(event);
  m_indicator->stopAnimation();
}
