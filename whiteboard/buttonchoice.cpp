#include "whiteboard/buttonchoice.h"

ButtonChoice::ButtonChoice(const char *name, QObject *parent) : QButtonGroup(parent) {
  setObjectName(QLatin1String(name));
  connect(this, &QButtonGroup::idToggled, this, [this](int, bool checked) {
    if (checked)
      emit toggled();
  });
}

void ButtonChoice::addButtons(std::initializer_list<QAbstractButton *> buttons) {
  int id = 0;
  for (QAbstractButton *b : buttons)
    addButton(b, id++);
}
