#pragma once
// The size label: "w x h" of the selection, just above its top-left corner.

#include <QWidget>

class OERect : public QWidget {
  Q_OBJECT
public:
  explicit OERect(QWidget *parent);
  QString text() const { return m_text; }

public slots:
  void onSizeChange(int w, int h);
  void onPostionChange(int x, int y);

protected:
  void paintEvent(QPaintEvent *) override;

private:
  QString m_text;
};
