#pragma once
// The soft shadow around a frameless pop-up: a separate, click-through tool window that
// sits around the pop-up and shows a shadow picture (pop_background.png, or another one such
// as pop_background_big.png for the main window). For a pop-up at (x, y, w, h) and shadow
// width s it covers (x - s, y + 10 - s, w + 2s, h + 2s - 10); its mask removes the inner
// rectangle (s, s - 10, w, h + (5 - s) * 2), so only the rim is drawn.
//
// Where the window system does not blend translucent windows (X11 without a compositing
// manager), a soft shadow could only be drawn over a copy of the screen, and that copy goes
// stale as soon as anything beneath changes. The shadow is then a plain frame instead: an
// opaque line of kFrameWidth pixels around the pop-up, masked the same way, so the windows
// beneath show through everywhere else.
//
// Owners call follow() with the pop-up's geometry on every move and resize, show the shadow
// once the pop-up is on screen and hide it when the pop-up closes.

#include <QColor>
#include <QRect>
#include <QRegion>
#include <QWidget>

class QLabel;

class PopShadow : public QWidget {
  Q_OBJECT
public:
  static constexpr int kShadowWidth = 20;
  static constexpr int kFrameWidth = 1;
  static QColor frameColour();

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
  // The plain frame's mask: the line just outside the pop-up, in shadow coordinates.
  static QRegion frameMask(const QSize &popupSize, int s = kShadowWidth);

  // A plain frame rather than a soft shadow (no blending of translucent windows).
  bool isPlainFrame() const { return m_plain; }

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  void applyImage();

  const bool m_plain;
  QLabel *m_label = nullptr;
  QString m_image;
  QRect m_popup;
};
