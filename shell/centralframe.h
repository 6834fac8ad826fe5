#pragma once
// The shell window's central widget. It holds the portal view and, during a class, the
// classroom window, which is also given this frame as its parent.

#include <QFrame>

class CentralFrame : public QFrame {
  Q_OBJECT
public:
  explicit CentralFrame(QWidget *parent = nullptr);
};
