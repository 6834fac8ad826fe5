#pragma once
// The soft shadow around a frameless pop-up: a separate, click-through tool window that
// sits around the pop-up and shows a shadow picture (pop_background.png, or another one such
// as pop_background_big.png for the main window). For a pop-up at (x, y, w, h) and shadow
// width s it covers (x - s, y + 10 - s, w + 2s, h + 2s - 10); its mask removes the inner
// rectangle (s, s - 10, w, h + (5 - s) * 2), so only the rim is drawn.
//
// Owners call follow() with the pop-up's geometry on every move and resize, show the shadow
// once the pop-up is on screen and hide it when the pop-up closes.

#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <QWidget>

class QLabel;
class QTimer;

class PopShadow : public QWidget {
  Q_OBJECT
public:
  static constexpr int kShadowWidth = 20;
  // Where the window system does not blend translucent windows, the shadow hides while its
  // pop-up moves and comes back this long after the last move.
  static constexpr int kSettleMs = 250;

  static QString defaultImage(); // ":/res/Resources/pop_background.png"
  static QString bigImage();     // ":/res/Resources/pop_background_big.png"

  explicit PopShadow(QWidget *parent = nullptr, const QString &image = defaultImage());

  void setImage(const QString &image);
  QString image() const { return m_image; }
  int shadowWidth() const { return kShadowWidth; }

  // Moves, sizes and masks the shadow for a pop-up with this geometry (screen coordinates).
  void follow(const QRect &popupGeometry);
  QRect popupGeometry() const { return m_popup; }

  static QRect shadowGeometry(const QRect &popupGeometry, int s = kShadowWidth);
  static QRect maskInnerRect(const QSize &popupSize, int s = kShadowWidth);
  static QRegion shadowMask(const QSize &popupSize, int s = kShadowWidth);

  void setVisible(bool visible) override;

protected:
  void showEvent(QShowEvent *event) override;
  void paintEvent(QPaintEvent *event) override;

private:
  void applyImage();
  void takeBackdrop();

  QLabel *m_label = nullptr;
  QString m_image;
  QRect m_popup;
  // Without a compositing manager translucent windows are not blended; the shadow then
  // draws itself over a copy of what was on screen beneath it.
  QPixmap m_backdrop;
  QTimer *m_settleTimer = nullptr;
};
