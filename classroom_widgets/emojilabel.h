#pragma once
// One cell of the emoji picker: shows a face and reports its number on every press.

#include <QLabel>

class EmojiLabel : public QLabel {
  Q_OBJECT
public:
  explicit EmojiLabel(int faceIndex, QWidget *parent = nullptr);
  int faceIndex() const { return faceIndex_; }

signals:
  void clicked(int &faceIndex);

protected:
  void mousePressEvent(QMouseEvent *event) override;

private:
  int faceIndex_;
};
