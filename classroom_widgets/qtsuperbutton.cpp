#include "classroom_widgets/qtsuperbutton.h"

#include "classroom_widgets/qtbubble.h"
#include "ui_qtsuperbutton.h"

#include <QTimer>

namespace {

const int kBubbleWidth = 200;
const int kPauseBubbleWidth = 280;
const int kTipOverlap = 12; // the bubble's tip reaches this far down into the control

void initButton(QtImageButton *button, const QString &image, bool hoverImages) {
  button->setFixedSize(button->size());
  button->setHoverImages(hoverImages);
  button->setImageName(image);
}

// Horizontal centres of the microphone, the hand and the camera within the control.
int anchorOffset(const QString &anchor) {
  if (anchor == QLatin1String("left")) return 40;
  if (anchor == QLatin1String("right")) return 132;
  return 86;
}

} // namespace

QtSuperButton::QtSuperButton(QWidget *parent) : QWidget(parent), ui(new Ui::QtSuperButton) {
  ui->setupUi(this);
  setFixedSize(171, 56);
  initButton(ui->btnCircle, QStringLiteral("circle_0"), false);
  initButton(ui->btnHand, QStringLiteral("hand"), false);
  initButton(ui->btnMic, QStringLiteral("super_mic"), true);
  initButton(ui->btnCamera, QStringLiteral("super_camera"), true);
  ui->btnCircle->hide();

  m_bubble = new QtBubble(this);
  m_bubble->setObjectName(QStringLiteral("bubble"));

  m_circleTimer = new QTimer(this);
  m_circleTimer->setObjectName(QStringLiteral("circleTimer"));
  m_circleTimer->setInterval(kRingTickMs);
  m_bubbleTimer = new QTimer(this);
  m_bubbleTimer->setObjectName(QStringLiteral("bubbleTimer"));
  m_bubbleTimer->setSingleShot(true);
  m_bubbleTimer->setInterval(kBubbleMs);

  connect(m_circleTimer, &QTimer::timeout, this, &QtSuperButton::onTimeout);
  connect(m_bubbleTimer, &QTimer::timeout, this, &QtSuperButton::timerHideBubbleTimeout);
  connect(ui->btnHand, &QPushButton::clicked, this, &QtSuperButton::btnCircleClicked);

  setStageView(OffStage);
}

QtSuperButton::~QtSuperButton() { delete ui; }

// Leaves the children as the stage-state table says; the microphone comes back enabled
// whenever it is shown anew.
void QtSuperButton::setStageView(int state) {
  m_stageState = state;
  const bool left = state != OffStage;
  const bool right = state == OnStage;
  ui->labelBackgroundLeft->setVisible(left);
  ui->btnMic->setVisible(left);
  ui->labelBackgroundRight->setVisible(right);
  ui->btnCamera->setVisible(right);
  if (left) ui->btnMic->setEnabled(true);
}

void QtSuperButton::onStage() {
  setStageView(OnStage);
  showBubble(QStringLiteral("已上台，请按要求发言"), kBubbleWidth, QStringLiteral("right"));
  m_justStaged = true;
}

void QtSuperButton::offStage() {
  m_justStaged = false;
  setStageView(OffStage);
  showBubble(QStringLiteral("已下台，本次发言结束"), kBubbleWidth, QStringLiteral("center"));
}

void QtSuperButton::onMic() {
  const QString text = QStringLiteral("已上麦，请按要求发言");
  if (m_stageState == OffStage) {
    setStageView(OnMic);
    showBubble(text, kBubbleWidth, QStringLiteral("left"));
  } else if (m_stageState == OnStage) {
    ui->btnMic->setEnabled(true);
    // Going on stage opens the microphone right after; its bubble already said it all.
    if (!m_justStaged) showBubble(text, kBubbleWidth, QStringLiteral("left"));
  }
  m_justStaged = false;
}

void QtSuperButton::offMic() {
  m_justStaged = false;
  if (m_stageState == OnMic) {
    setStageView(OffStage);
    showBubble(QStringLiteral("已下麦，本次发言结束"), kBubbleWidth, QStringLiteral("center"));
  } else if (m_stageState == OnStage) {
    ui->btnMic->setEnabled(false);
    showBubble(QStringLiteral("发言暂停，老师正在讲解，请稍候~"), kPauseBubbleWidth, QStringLiteral("left"));
  }
}

void QtSuperButton::offCamera() {
  // A paused student without a camera has nothing left on stage. The microphone's own
  // enabled state counts, not that of a disabled toolbar around it.
  if (!ui->btnMic->isEnabledTo(this)) {
    offStage();
    return;
  }
  m_justStaged = false;
  setStageView(OnMic);
  showBubble(QStringLiteral("摄像头已关闭"), kBubbleWidth, QStringLiteral("center"));
}

void QtSuperButton::btnCircleClicked() {
  m_circleTimer->start(kRingTickMs);
  ui->btnHand->setEnabled(false);
  ui->btnCircle->show();
  emit handRaised();
}

void QtSuperButton::onTimeout() {
  m_circleFrame = (m_circleFrame + 1) % kRingFrames;
  ui->btnCircle->setImageName(QStringLiteral("circle_%1").arg(m_circleFrame));
  if (m_circleFrame != 0) return;
  m_circleTimer->stop();
  ui->btnHand->setEnabled(true);
  ui->btnCircle->hide();
}

void QtSuperButton::showBubble(const QString &text, int width, const QString &anchor) {
  m_bubbleTimer->stop();
  m_bubble->setText(text, width);
  const QPoint corner = mapToGlobal(QPoint(0, 0));
  const int x = corner.x() - width / 2 + anchorOffset(anchor);
  const int y = corner.y() - m_bubble->height() + kTipOverlap;
  m_bubble->move(x, y);
  m_bubble->repaint();
  m_bubble->show();
  m_bubbleTimer->start(kBubbleMs);
}

// The bubble is emptied to zero width and parked at the origin; it is hidden as well, since
// a window system cannot show a zero-width window and may draw it one pixel wide instead.
void QtSuperButton::timerHideBubbleTimeout() {
  m_bubble->setText(QString(), 0);
  m_bubble->move(0, 0);
  m_bubble->hide();
  m_bubbleTimer->stop();
}
