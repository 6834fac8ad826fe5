#pragma once
// Floating vertical volume slider (0..100, starting at 50) that pops up above its owner's
// button. Showing and hiding are both delayed by 500 ms so that a pointer merely crossing
// the button never pops it:
//   requestShow(): stop the hide timer, start the show timer; its expiry emits showSlider()
//                  and the owner positions and shows the slider.
//   requestHide(): stop the show timer, start the hide timer; its expiry hides the slider.
//   pointer over the slider stops the hide timer; leaving it starts the hide timer again.
// The timers are children named "showTimer" and "hideTimer".

#include <QWidget>

class QSlider;
class QTimer;

class QtPopSlider : public QWidget {
  Q_OBJECT
public:
  static constexpr int kDelayMs = 500;

  explicit QtPopSlider(QWidget *parent = nullptr);

  int value() const;
  void setValue(int value);
  QSlider *slider() const { return m_slider; }

public slots:
  void requestShow();
  void requestHide();

signals:
  void showSlider();
  void valueChanged(int value);

protected:
  void enterEvent(QEvent *event) override;
  void leaveEvent(QEvent *event) override;
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

private:
  static QPixmap background();

  QSlider *m_slider = nullptr;
  QTimer *m_showTimer = nullptr;
  QTimer *m_hideTimer = nullptr;
};
