#include "classroom_widgets/qtimageview.h"

#include "core/deployment.h"
#include "core/storagepicture.h"
#include "widgets/exlabel.h"
#include "widgets/myscrollarea.h"
#include "widgets/tips.h"

#include <QCloseEvent>
#include <QDebug>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace {
const QSize kFrame(6, 30);
const QSize kMinimumWindow(360, 240);
const QSize kLargePicture(1360, 700);
const QSize kLargeWindow(1366, 730);
constexpr int kUnbounded = 16777215;
} // namespace

QtImageView::QtImageView(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint), network_(new QNetworkAccessManager(this)) {
  setWindowTitle(QStringLiteral("Tarnwick"));
  scrollArea = new MyScrollArea(this);
  scrollArea->setObjectName(QStringLiteral("scrollArea"));
  scrollArea->setStyleSheet(QStringLiteral("background-color: rgb(199, 199, 199);"));
  scrollArea->setAlignment(Qt::AlignCenter);
  label = new ExLabel;
  label->setObjectName(QStringLiteral("label"));
  scrollArea->setWidget(label);
  scrollArea->setWidgetResizable(false);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scrollArea);
  connect(network_, &QNetworkAccessManager::finished, this, &QtImageView::replyFinished);
  connect(label, &ExLabel::mousePress, this, &QtImageView::onLabelMousePress);
  connect(label, &ExLabel::mouseMove, this, &QtImageView::onLabelMouseMove);
  connect(scrollArea, &MyScrollArea::wheel, this, &QtImageView::onScrollAreaWheel);
}

QSize QtImageView::windowSizeFor(const QSize &picture) {
  if (picture.width() >= kLargePicture.width() || picture.height() >= kLargePicture.height())
    return kLargeWindow;
  const QSize size = picture + kFrame;
  if (size.width() < kMinimumWindow.width() && size.height() < kMinimumWindow.height())
    return kMinimumWindow;
  return size;
}

QSize QtImageView::zoomed(const QSize &label, int delta, const QSize &picture) {
  if (delta == 0)
    return label;
  if (delta < 0) {
    if (label.width() <= kMinimumZoomSide || label.height() <= kMinimumZoomSide)
      return label;
    return {int(label.width() / 10.0 * 9), int(label.height() / 10.0 * 9)};
  }
  const QSize grown(int(label.width() / 10.0 * 11), int(label.height() / 10.0 * 11));
  const int maxWidth = std::min(kMaximumSide, picture.width() * kMaximumZoomFactor);
  const int maxHeight = std::min(kMaximumSide, picture.height() * kMaximumZoomFactor);
  if (grown.width() > maxWidth || grown.height() > maxHeight)
    return label;
  return grown;
}

void QtImageView::showImage(const QString &url) {
  if (!storagepicture::isStoragePicture(url, Deployment::instance().storageUrl)) {
    qWarning("image view: %s is not in the picture store", qUtf8Printable(url.left(200)));
    ShowCodeErrorTips(QStringLiteral("该图片不是课堂图片，无法查看"), nullptr);
    return;
  }
  label->setScaledContents(false);
  scrollArea->horizontalScrollBar()->setValue(0);
  scrollArea->verticalScrollBar()->setValue(0);
  label->setMinimumSize(0, 0);
  label->setMaximumSize(kUnbounded, kUnbounded);
  QNetworkReply *reply = network_->get(QNetworkRequest(QUrl(url)));
  connect(reply, &QNetworkReply::finished, this, &QtImageView::finished);
}

void QtImageView::finished() {
  if (auto *reply = qobject_cast<QNetworkReply *>(sender()))
    reply->deleteLater();
}

void QtImageView::replyFinished(QNetworkReply *reply) {
  if (reply->error() != QNetworkReply::NoError) {
    ShowCodeErrorTips(QStringLiteral("获取图片出错，请检查网络是否正常"), nullptr);
    return;
  }
  const QImage image = QImage::fromData(reply->readAll());
  if (image.isNull()) {
    // A page or a broken file in place of the picture: say so, and no empty window.
    ShowCodeErrorTips(QStringLiteral("下载的内容不是图片，无法显示"), nullptr);
    return;
  }
  pictureSize_ = image.size();
  placeOnScreen(windowSizeFor(pictureSize_));
  show();
  label->setPixmap(QPixmap::fromImage(image));
  label->resize(pictureSize_);
}

void QtImageView::placeOnScreen(const QSize &size) {
  resize(size);
  const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen->geometry();
  move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

void QtImageView::onScrollAreaWheel(int delta) {
  qDebug("wheel:%d", delta);
  label->setScaledContents(true);
  const QSize next = zoomed(label->size(), delta, pictureSize_);
  label->setFixedSize(next);
}

void QtImageView::onLabelMousePress(QMouseEvent *event) {
  pressX = event->globalX();
  pressY = event->globalY();
  pressScrollH = scrollArea->horizontalScrollBar()->value();
  pressScrollV = scrollArea->verticalScrollBar()->value();
}

void QtImageView::onLabelMouseMove(QMouseEvent *event) {
  scrollArea->horizontalScrollBar()->setValue(pressScrollH + (pressX - event->globalX()));
  scrollArea->verticalScrollBar()->setValue(pressScrollV + (pressY - event->globalY()));
}

void QtImageView::closeEvent(QCloseEvent *event) {
  hide();
  event->ignore();
}

void QtImageView::wheelEvent(QWheelEvent *) {}
