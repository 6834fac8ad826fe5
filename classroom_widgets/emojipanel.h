#pragma once
// The emoji picker: every face in a grid of seven columns inside a scroll area. Each cell's
// clicked(int&) is forwarded as faceClicked(int&).

#include <QPoint>
#include <QScrollArea>

class EmojiLabel;

class EmojiPanel : public QScrollArea {
  Q_OBJECT
public:
  static constexpr int kColumns = 7;
  static constexpr int kGridHeight = 640;

  explicit EmojiPanel(QWidget *parent = nullptr);

  // (row, column) of face n: ((n - 1) / 7, (n - 1) % 7), as x = column, y = row.
  static QPoint cellOf(int faceIndex);
  EmojiLabel *cell(int faceIndex) const;

signals:
  void faceClicked(int &faceIndex);
};
