#include "classroom_widgets/qtredpacket.h"

#include "ui_qtredpacket.h"
#include "widgets/compositing.h"

#include <QMovie>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

namespace {
QString resource(const QString &file) { return QStringLiteral(":/res/Resources/") + file; }
} // namespace

QtRedPacket::QtRedPacket(QWidget *parent) : QDialog(parent), ui(new Ui::QtRedPacket) {
  ui->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowCloseButtonHint);
  setAttribute(Qt::WA_NoSystemBackground);
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(500, 500);

  // The full-size animation layers and the texts lie above the button: let clicks through.
  for (QWidget *layer : {static_cast<QWidget *>(ui->lbButtonBackground), static_cast<QWidget *>(ui->lbFlashStar),
                         static_cast<QWidget *>(ui->lbRotation), static_cast<QWidget *>(ui->lbRedPacket),
                         static_cast<QWidget *>(ui->lbMessage), ui->widgetAmount}) {
    layer->setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  ui->widgetAmount->hide();

  m_flashStar = new QMovie(resource(QStringLiteral("flash_star.gif")), QByteArray(), this);
  ui->lbFlashStar->setMovie(m_flashStar);
  m_flashStar->start();

  m_rotationTimer = makeTimer("rotationTimer", kRotationMs, &QtRedPacket::onTimerout);
  m_openTimer = makeTimer("openTimer", kOpenFrameMs, &QtRedPacket::onTimer2out);
  m_countdownTimer = makeTimer("countdownTimer", kCountdownMs, &QtRedPacket::onTimer3out);
  m_closeTimer = makeTimer("closeTimer", kCloseMs, &QtRedPacket::onTimer4out);
  m_rotationTimer->start();
  m_countdownTimer->start();

  connect(ui->lbButtonText, &QPushButton::clicked, this, &QtRedPacket::onButtonClicked);
}

QtRedPacket::~QtRedPacket() { delete ui; }

QTimer *QtRedPacket::makeTimer(const char *name, int interval, void (QtRedPacket::*slot)()) {
  auto *timer = new QTimer(this);
  timer->setObjectName(QString::fromLatin1(name));
  timer->setInterval(interval);
  connect(timer, &QTimer::timeout, this, slot);
  return timer;
}

void QtRedPacket::setAmount(int amount) { m_amount = amount; }

// The dialog itself is see-through and paints nothing. Where the window system shows
// translucent windows unblended, it paints what lay beneath it when it appeared instead.
void QtRedPacket::paintEvent(QPaintEvent *) {
  if (m_backdrop.isNull()) return;
  QPainter p(this);
  p.drawPixmap(0, 0, m_backdrop);
}

void QtRedPacket::showEvent(QShowEvent *event) {
  QDialog::showEvent(event); // places the dialog over its parent
  if (!compositing::translucentWindowsBlend()) m_backdrop = compositing::grabScreen(this, geometry());
}

void QtRedPacket::onTimerout() {
  const QString file = QStringLiteral("rotation_%1.png").arg(m_rotationFrame % kRotationFrames);
  ui->lbRotation->setPixmap(QPixmap(resource(file)));
  ++m_rotationFrame;
}

void QtRedPacket::onTimer3out() {
  --m_countdown;
  if (m_countdown != 0) {
    ui->lbButtonText->setText(QStringLiteral("立即打开(%1)").arg(m_countdown));
    return;
  }
  m_countdownTimer->stop();
  startOpening();
}

void QtRedPacket::onButtonClicked() {
  m_countdownTimer->stop();
  startOpening();
}

// A second click while the frames run must neither restart them nor ring the coin again.
void QtRedPacket::startOpening() {
  if (m_opening) return;
  m_opening = true;
  m_openTimer->start(kOpenFrameMs);
  emit playSound(QStringLiteral("coin.wav"));
}

void QtRedPacket::onTimer2out() {
  const QString file = QStringLiteral("red_packet_0%1.png").arg(m_openFrame);
  ui->lbRedPacket->setPixmap(QPixmap(resource(file)));
  ++m_openFrame;
  if (m_openFrame < 5) return;
  m_openTimer->stop();
  ui->lbButtonBackground->hide();
  ui->lbButtonText->hide();
  ui->lbMessage->hide();
  showAmount();
  m_closeTimer->start(kCloseMs);
}

// A long amount may need more than the row's 160 pixels; it then grows about its centre
// rather than clipping the digits.
void QtRedPacket::showAmount() {
  ui->labelAmount->setText(QString::number(m_amount));
  QWidget *row = ui->widgetAmount;
  const QRect g = row->geometry();
  const int width = qMax(g.width(), row->layout()->sizeHint().width());
  if (width > g.width()) row->setGeometry(g.x() - (width - g.width()) / 2, g.y(), width, g.height());
  row->show();
}

void QtRedPacket::onTimer4out() {
  m_closeTimer->stop();
  close();
}
