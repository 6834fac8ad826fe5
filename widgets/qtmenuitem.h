#pragma once
// One row of the title bar's drop-down menu: icon ":/res/Resources/<name>.png", a text, a
// light background while hovered and a thin separator line under it. Emits clicked() when
// released over the row.

#include <QWidget>

namespace Ui {
class QtMenuItem;
}
class QLabel;

class QtMenuItem : public QWidget {
  Q_OBJECT
public:
  explicit QtMenuItem(QWidget *parent = nullptr);
  QtMenuItem(const QString &iconName, const QString &text, QWidget *parent = nullptr);
  ~QtMenuItem() override;

  void setIconName(const QString &name);
  QString iconName() const { return m_iconName; }
  void setText(const QString &text);
  QString text() const;
  void setSeparatorVisible(bool visible);
  bool isHovered() const { return m_hovered; }

  QLabel *labelIcon() const;
  QLabel *labelText() const;

  static QString textStyle();
  static QString hoverStyle();

signals:
  void clicked();

protected:
  void enterEvent(QEvent *event) override;
  void leaveEvent(QEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;

private:
  void setHovered(bool hovered);

  Ui::QtMenuItem *ui;
  QString m_iconName;
  bool m_hovered = false;
};
