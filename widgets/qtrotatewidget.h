#pragma once
// A busy spinner: refresh.png turning about the widget's centre. Every spinner repaints
// every 30 ms, and each paint turns one angle shared by all spinners by a degree.

#include <QWidget>

class QTimer;

class QtRotateWidget : public QWidget {
  Q_OBJECT
public:
  explicit QtRotateWidget(QWidget *parent = nullptr);

  static int sharedAngle();

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  QTimer *m_timer = nullptr;
};
