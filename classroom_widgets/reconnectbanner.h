#pragma once
// The small strip across the top of the classroom while its link is being brought back: a line
// of text, no box, nothing to press. It keeps its place at the top centre of its parent.

#include <QLabel>

class ReconnectBanner : public QLabel {
  Q_OBJECT
public:
  static const char kText[];

  explicit ReconnectBanner(QWidget *parent);
  void setReconnecting(bool on);

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void place();
};
