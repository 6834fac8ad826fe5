#pragma once
// Horizontal volume slider painted from pictures: slider_bottom.png (track), slider_top.png
// (the filled part left of the handle), slider_left.png / slider_right.png (the track's
// rounded ends), slider_button.png (handle) and slider_button2.png (handle while hovered or
// dragged). Clicking the track jumps the handle there.

#include <QSlider>

class QtMySlider : public QSlider {
  Q_OBJECT
public:
  explicit QtMySlider(QWidget *parent = nullptr);
  explicit QtMySlider(Qt::Orientation orientation, QWidget *parent = nullptr);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  // The handle's rectangle for the current value (widget coordinates).
  QRect handleRect() const;

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void enterEvent(QEvent *event) override;
  void leaveEvent(QEvent *event) override;

private:
  void init();
  int valueAt(int x) const;
  int handleWidth() const;

  bool m_hovered = false;
  bool m_dragging = false;
};
