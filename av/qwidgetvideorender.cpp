#include "av/qwidgetvideorender.h"

#include "av/letterbox.h"
#include "sdk/live/iliverootview.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QMutexLocker>
#include <QPainter>

#include <cstring>

namespace {

constexpr uint32_t kOpaqueBlack = 0xff000000;
constexpr int kBarHeight = 30;
constexpr int kIconSize = 16;
constexpr int kIconTop = 18;   // from the bottom edge
constexpr int kMicLeft = 5;
constexpr int kSpeakingRight = 22; // from the right edge
constexpr int kNameLeft = 22;
constexpr int kNamePixelSize = 12;
constexpr int kSpeakingShown = 1;

QPixmap resourcePicture(const char *name) {
  return QPixmap(QStringLiteral(":/res/Resources/") + QLatin1String(name));
}

} // namespace

QWidgetVideoRender::QWidgetVideoRender(QWidget *parent)
    : QWidget(parent), m_bar(resourcePicture("camera_bar.png")),
      m_micOnIcon(resourcePicture("mic_on_16.png")), m_micOffIcon(resourcePicture("mic_off_16.png")),
      m_speakingIcon(resourcePicture("ever_mic.png")) {
  // Every pixel is painted from the canvas: no background fill first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::StrongFocus);
}

QWidgetVideoRender::~QWidgetVideoRender() {
  if (m_rootView)
    m_rootView->destroy();
}

void QWidgetVideoRender::inputFrame(const ilive::LiveVideoFrame &frame) {
  if (m_paused)
    return;
  if (!m_pipeline.render(frame, m_back))
    return;
  if (publish(frame.identifier))
    requestRepaint();
}

// Hands the finished back canvas to the GUI thread; the old front becomes the next back.
// A frame of someone else than the view's owner is dropped.
bool QWidgetVideoRender::publish(const char *userId) {
  const char *id = userId ? userId : "";
  QMutexLocker guard(&m_lock);
  if (!m_owner.isEmpty() && m_owner != id)
    return false;
  std::swap(m_front, m_back);
  m_stale = false;
  if (std::strcmp(m_streamUser.constData(), id) != 0)
    m_streamUser = QByteArray(id);
  return true;
}

void QWidgetVideoRender::setOwner(const QByteArray &userId) {
  {
    QMutexLocker guard(&m_lock);
    m_owner = userId;
    m_stale = true;
  }
  requestRepaint();
}

void QWidgetVideoRender::dropPicture() {
  {
    QMutexLocker guard(&m_lock);
    m_stale = true;
  }
  requestRepaint();
}

bool QWidgetVideoRender::showsPicture() const { return !m_front.isEmpty() && !m_stale; }

// The front canvas as an image over its bytes, without a copy.
QImage QWidgetVideoRender::frontImage() const {
  return QImage(m_front.bytes.data(), m_front.width, m_front.height, m_front.stride(), QImage::Format_RGB32);
}

// One queued repaint at a time, however fast frames come.
void QWidgetVideoRender::requestRepaint() {
  if (m_repaintPosted.exchange(true))
    return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        m_repaintPosted = false;
        update();
      },
      Qt::QueuedConnection);
}

void QWidgetVideoRender::setName(const QString &name) {
  m_name = name;
  m_overlay = true;
  update();
}

void QWidgetVideoRender::setMicFlag(int on) {
  if (m_micOn.exchange(on) != on)
    requestRepaint();
}

void QWidgetVideoRender::setSpeakingState(int state) {
  if (m_speaking.exchange(state) != state)
    requestRepaint();
}

void QWidgetVideoRender::addRootView(const QString &userId, ilive::VideoSrc source) {
  if (!m_rootView)
    return;
  m_rootView->addView(userId.toUtf8().constData(), source, ilive::ViewRecord());
  m_rootUser = userId;
  // Only a root view that draws by itself replaces our painting.
  if (m_rootView->hardwareSupport() == 1)
    setUpdatesEnabled(false);
}

void QWidgetVideoRender::goFullScreen() {
  if (isFullScreen())
    return;
  m_normalParent = parentWidget();
  m_normalGeometry = geometry();
  m_normalLayoutIndex = -1;
  if (m_normalParent && m_normalParent->layout())
    m_normalLayoutIndex = m_normalParent->layout()->indexOf(this);
  setParent(nullptr);
  showFullScreen();
  setFocus();
}

void QWidgetVideoRender::leaveFullScreen() {
  setParent(m_normalParent, Qt::SubWindow);
  setGeometry(m_normalGeometry);
  if (m_normalParent && m_normalLayoutIndex >= 0)
    if (auto *box = qobject_cast<QBoxLayout *>(m_normalParent->layout()))
      box->insertWidget(m_normalLayoutIndex, this);
  showNormal();
}

QByteArray QWidgetVideoRender::streamUserId() const {
  QMutexLocker guard(&m_lock);
  return m_streamUser;
}

QImage QWidgetVideoRender::canvasSnapshot() const {
  QMutexLocker guard(&m_lock);
  if (!showsPicture())
    return QImage();
  return letterboxed(size(), frontImage());
}

int QWidgetVideoRender::converterBuilds() const { return m_pipeline.converterBuilds(); }

void QWidgetVideoRender::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  {
    QMutexLocker guard(&m_lock);
    if (!showsPicture()) {
      painter.fillRect(rect(), Qt::black);
    } else {
      paintLetterboxed(painter, rect(), frontImage());
    }
  }
  if (m_overlay)
    paintOverlay(painter);
}

void QWidgetVideoRender::paintOverlay(QPainter &painter) {
  const int w = width();
  const int h = height();
  painter.drawPixmap(QRect(0, h - kBarHeight, w, kBarHeight), m_bar);
  painter.drawPixmap(QRect(kMicLeft, h - kIconTop, kIconSize, kIconSize),
                     m_micOn.load() ? m_micOnIcon : m_micOffIcon);
  if (m_speaking.load() == kSpeakingShown)
    painter.drawPixmap(QRect(w - kSpeakingRight, h - kIconTop, kIconSize, kIconSize), m_speakingIcon);
  if (m_name.isEmpty())
    return;
  QFont font(QStringLiteral("微软雅黑"));
  font.setPixelSize(kNamePixelSize);
  font.setWeight(QFont::Normal);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRect(kNameLeft, h - kIconTop, w - 2 * kNameLeft, kIconSize),
                   Qt::AlignLeft | Qt::AlignVCenter, m_name);
}

void QWidgetVideoRender::showEvent(QShowEvent *event) {
  if (!m_rootView) {
    m_rootView = iLiveCreateRootView();
    // The top-level window's handle: asking for our own would make every tile a native
    // child window outside Qt's compositing.
    m_rootView->init(static_cast<uintptr_t>(effectiveWinId()));
  }
  m_rootView->setBackgroundColor(kOpaqueBlack);
  QWidget::showEvent(event);
}

void QWidgetVideoRender::mouseDoubleClickEvent(QMouseEvent *) {
  if (m_paused)
    return;
  if (isFullScreen())
    emit exitFullScreen(this);
  else
    emit doubleClicked(m_tileIndex);
}

void QWidgetVideoRender::keyPressEvent(QKeyEvent *event) {
  if (event->key() != Qt::Key_Escape) {
    QWidget::keyPressEvent(event);
    return;
  }
  if (isFullScreen())
    leaveFullScreen();
  else
    emit escPressed(m_tileIndex);
}
