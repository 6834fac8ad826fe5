#pragma once
// The magnifier: a 30 × 22 block of the frozen desktop around the pointer, enlarged, with a
// cross-hair, the selection's size and the colour under the pointer.

#include <QImage>
#include <QWidget>

class OEAmplifier : public QWidget {
  Q_OBJECT
public:
  OEAmplifier(const QImage &frozen, int side, int pictureHeight, QWidget *parent);

  QPoint pointer() const { return m_pointer; }
  QSize selectionSize() const { return m_selection; }

public slots:
  void onSizeChange(int w, int h);
  void onPostionChange(int x, int y); // the pointer, in the full-screen window

protected:
  void paintEvent(QPaintEvent *) override;

private:
  void paintBlock(QPainter &p);
  void paintText(QPainter &p);

  QImage m_frozen;
  int m_pictureHeight;
  QPoint m_pointer;
  QSize m_selection{0, 0};
};
