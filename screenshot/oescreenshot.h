#pragma once
// The screenshot tool: the whole desktop frozen and dimmed in one full-screen window, the
// window under the pointer offered, a selection dragged out, annotated and finished. The
// finished PNG goes to the upload target's uploadPicture(QByteArray), called by name.
// The tool deletes itself when it closes.

#include "screenshot/shotgeometry.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

class OEAmplifier;
class OERect;
class OEScreen;

class OEScreenshot : public QWidget {
  Q_OBJECT
public:
  // cursorFile: the pointer picture; empty for the built-in one.
  explicit OEScreenshot(QObject *uploadTarget, const QString &cursorFile = QString());
  ~OEScreenshot() override;

  QRect desktopRect() const { return m_desktop; }
  QImage frozenPicture() const { return m_frozen; }
  QRect detectedRect() const { return m_detected; }
  OEScreen *selection() const { return m_selection; }
  OEAmplifier *magnifier() const { return m_magnifier; }
  OERect *sizeLabel() const { return m_sizeLabel; }
  const shotgeometry::Scale &scale() const { return m_scale; }

signals:
  void cursorPosChange(int x, int y);
  void doubleClick();
  void findChildWind();

protected:
  void paintEvent(QPaintEvent *) override;
  void mousePressEvent(QMouseEvent *e) override;
  void mouseMoveEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;
  void keyPressEvent(QKeyEvent *e) override;

private:
  void detectWindow(const QPoint &global);
  void startSelection(const QPoint &press);
  void fixSelection(const QPoint &release);
  void dropSelection(const QPoint &pointer);
  void uploadPicture(const QByteArray &png);

  QPointer<QObject> m_target;
  QRect m_desktop;
  QImage m_frozen;
  QImage m_dimmed;
  shotgeometry::Scale m_scale;
  bool m_selecting = false;
  QPoint m_press;
  QRect m_detected;
  OEScreen *m_selection = nullptr;
  OEAmplifier *m_magnifier;
  OERect *m_sizeLabel;
};
