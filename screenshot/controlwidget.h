#pragma once
// The tool buttons under a fixed selection: four drawing tools, quit and finish.

#include <QWidget>

class OEScreen;
class QToolButton;

class ControlWidget : public QWidget {
  Q_OBJECT
public:
  ControlWidget(OEScreen *screen, QWidget *parent);
  // The bar that holds it: a top window named "control", 260 × 25.
  static QWidget *createBar(OEScreen *screen);

public slots:
  void on_rectangleBtn_clicked();
  void on_drawRoundBtn_clicked();
  void on_arrowBtn_clicked();
  void on_drawLineBtn_clicked();
  void cancelBtn_slot();
  void finishBtn_slot();

private:
  void addToolButton(const char *name, const QString &tip, int icon);
  QToolButton *addButton(const char *name, const QString &tip, const QString &icon);

  OEScreen *m_screen;
};
