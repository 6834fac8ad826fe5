#pragma once
// A group of exclusive buttons that says "toggled" when a new one is chosen, so that the
// window's on_<group>_toggled slots connect by name.

#include <QButtonGroup>

#include <initializer_list>

class ButtonChoice : public QButtonGroup {
  Q_OBJECT
public:
  ButtonChoice(const char *name, QObject *parent);
  // Buttons get ids 0, 1, … in the order given.
  void addButtons(std::initializer_list<QAbstractButton *> buttons);

signals:
  void toggled();
};
