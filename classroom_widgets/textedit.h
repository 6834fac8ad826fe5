#pragma once
// The chat input: a frameless rich-text editor whose emoji faces are inline images named
// "[emoji_NNN]", so the classroom can read them back as face codes. Return sends; Ctrl+Return
// starts a new line.

#include <QTextEdit>

class TextEdit : public QTextEdit {
  Q_OBJECT
public:
  static constexpr int kFaceCount = 139;

  explicit TextEdit(QWidget *parent = nullptr);

  // Appends face faceIndex at the end as an inline image named by emojiName().
  void insertEmoji(int faceIndex);

  // Three-digit code of a face: 1 -> "001", 12 -> "012", 139 -> "139".
  static QString emojiCode(int faceIndex);
  // "[emoji_NNN]", the face's name inside the input.
  static QString emojiName(int faceIndex);
  // "<shared data dir>/png/emoji/imageNNN.png" (core/places.h).
  static QString emojiImagePath(int faceIndex);

signals:
  void clicked();
  void keyEnter();

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
};
