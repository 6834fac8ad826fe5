#pragma once
// The selection: a rectangle of the frozen desktop inside the full-screen window, with eight
// handles; it can be moved and resized, annotated through its drawing layer, finished, saved
// or dropped. It owns its control bar and drawing layer, which are top windows.

#include "screenshot/qslabel.h"
#include "screenshot/shotgeometry.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class QMenu;

class OEScreen : public QWidget {
  Q_OBJECT
public:
  OEScreen(const QImage &frozen, const QPoint &press, const QPoint &desktopOrigin, QWidget *parent);
  ~OEScreen() override;

  // Asks for the file "保存" writes to: (parent, title, default name, filter) → the name, empty
  // when cancelled. A file dialog unless replaced (tests answer it themselves); null restores it.
  using SaveNameAsker = std::function<QString(QWidget *, const QString &, const QString &, const QString &)>;
  static void setSaveNameAsker(SaveNameAsker asker);

  // Whether a selection is shown anywhere in the process; while not, the hit test is idle.
  static bool isShown() { return s_shown; }

  // Shown and more than a line: something to finish or save.
  bool hasArea() const;
  // The selection has stopped changing: refresh the layer's picture, place the control bar.
  void fix();
  void showDrawingLayer(QSLabel::Tool tool);
  QSLabel *drawingLayer() const { return m_layer.get(); }
  QWidget *controlBar() const { return m_bar; }
  bool isDrawnOn() const { return m_drawnOn; }
  QImage resultImage() const { return m_layer->resultImage(); }
  // The desktop is taken for the screen height when placing the control bar.
  void placeControlBar();
  // Closes the selection, its control bar and its drawing layer, leaving the tool open.
  void closeParts();

signals:
  void sizeChange(int w, int h);
  void postionChange(int x, int y);
  void doubleClick();
  void finished(const QByteArray &png); // the annotated picture, PNG-encoded

public slots:
  void onMouseChange(int x, int y);
  void onSaveScreen();
  void onSaveScreenOther();
  void quitScreenshot();

protected:
  void paintEvent(QPaintEvent *) override;
  void resizeEvent(QResizeEvent *) override;
  void moveEvent(QMoveEvent *) override;
  void showEvent(QShowEvent *) override;
  void hideEvent(QHideEvent *) override;
  void mousePressEvent(QMouseEvent *e) override;
  void mouseMoveEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;
  void mouseDoubleClickEvent(QMouseEvent *e) override;
  void contextMenuEvent(QContextMenuEvent *e) override;

private:
  void setPointerFor(shotgeometry::Direction d);
  void closeTool();

  static bool s_shown;

  QImage m_frozen;
  QPoint m_press;
  QPoint m_origin; // the desktop's top-left, for placing top windows
  shotgeometry::Direction m_direction = shotgeometry::Inside;
  QPoint m_offset;
  QPoint m_anchor;
  bool m_pressed = false;
  bool m_drawnOn = false;
  QRect m_stored;
  QMenu *m_menu;
  std::unique_ptr<QSLabel> m_layer;
  QPointer<QWidget> m_bar;
};
