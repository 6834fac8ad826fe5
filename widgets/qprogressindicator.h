#pragma once
// A spinning busy indicator: twelve rounded bars around the centre, each turned 30 degrees
// from the last and fading behind the leading one. Its own timer advances the turn.

#include <QColor>
#include <QWidget>

class QProgressIndicator : public QWidget {
  Q_OBJECT
public:
  static constexpr int kBars = 12;

  explicit QProgressIndicator(QWidget *parent = nullptr);

  int animationDelay() const { return m_delay; }
  bool isAnimated() const;
  bool isDisplayedWhenStopped() const { return m_displayedWhenStopped; }
  const QColor &color() const { return m_color; }
  // Index of the leading bar, 0..11.
  int angleStep() const { return m_step; }

  QSize sizeHint() const override;
  int heightForWidth(int w) const override;

public slots:
  void startAnimation();
  void stopAnimation();
  void setAnimationDelay(int delay);
  void setDisplayedWhenStopped(bool state);
  void setColor(const QColor &color);

protected:
  void timerEvent(QTimerEvent *event) override;
  void paintEvent(QPaintEvent *event) override;

private:
  int m_step = 0;
  int m_timerId = -1;
  int m_delay = 40;
  bool m_displayedWhenStopped = false;
  QColor m_color = Qt::black;
};
