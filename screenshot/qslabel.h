#pragma once
// The drawing layer laid over a fixed selection: red rectangles, ellipses, arrows and free
// lines over the selected part of the frozen desktop. Shapes of every kind accumulate until
// the tool closes.

#include <QImage>
#include <QLabel>
#include <QLine>
#include <QVector>

class QSLabel : public QLabel {
  Q_OBJECT
public:
  enum Tool { NoTool, Pen, Rectangle, Ellipse, Arrow };

  explicit QSLabel(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

  void setImage(const QImage &image);
  QImage image() const { return m_image; }
  void setTool(Tool tool);
  Tool tool() const { return m_tool; }
  const QVector<QLine> &shapes(Tool tool) const;

  // The picture as it is shown: the image with every shape.
  QImage resultImage() const;

signals:
  void closeScreen();
  void finishShotScreen();
  void doubleClick();
  void toTopWindow();

protected:
  void paintEvent(QPaintEvent *) override;
  void mousePressEvent(QMouseEvent *e) override;
  void mouseMoveEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;
  void mouseDoubleClickEvent(QMouseEvent *e) override;
  void keyPressEvent(QKeyEvent *e) override;

private:
  void paintAll(QPainter &p) const;
  static void paintShape(QPainter &p, Tool tool, const QLine &shape);

  QImage m_image;
  Tool m_tool = NoTool;
  bool m_pressed = false;
  QPoint m_start, m_end;
  QVector<QLine> m_pen, m_rectangles, m_ellipses, m_arrows;
};
