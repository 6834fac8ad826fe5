#include "classroom_widgets/textedit.h"

#include "core/places.h"

#include <QImage>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

TextEdit::TextEdit(QWidget *parent) : QTextEdit(parent) { setFrameShape(QFrame::NoFrame); }

QString TextEdit::emojiCode(int faceIndex) { return QStringLiteral("00%1").arg(faceIndex).right(3); }

QString TextEdit::emojiName(int faceIndex) { return QStringLiteral("[emoji_%1]").arg(emojiCode(faceIndex)); }

QString TextEdit::emojiImagePath(int faceIndex) {
  return QStringLiteral("%1/png/emoji/image%2.png").arg(Places::current().sharedDataDir(), emojiCode(faceIndex));
}

void TextEdit::insertEmoji(int faceIndex) {
  moveCursor(QTextCursor::End);
  QTextCharFormat textFormat = currentCharFormat();
  if (textFormat.isImageFormat())
    textFormat = QTextCharFormat();
  const QString name = emojiName(faceIndex);
  // A missing file leaves an empty resource; the named image still carries the face.
  document()->addResource(QTextDocument::ImageResource, QUrl(name), QImage(emojiImagePath(faceIndex)));
  QTextImageFormat format;
  format.setName(name);
  textCursor().insertImage(format);
  moveCursor(QTextCursor::End);
  // Text typed or set after a face must not take over the face's image format.
  setCurrentCharFormat(textFormat);
}

void TextEdit::keyPressEvent(QKeyEvent *event) {
  const bool isReturn = event->key() == Qt::Key_Return;
  if (isReturn && event->modifiers() == Qt::NoModifier) {
    emit keyEnter();
    return;
  }
  if (isReturn && event->modifiers() == Qt::ControlModifier) {
    QKeyEvent plain(event->type(), event->key(), Qt::NoModifier, event->text(), event->isAutoRepeat(),
                    ushort(event->count()));
    QTextEdit::keyPressEvent(&plain);
    return;
  }
  QTextEdit::keyPressEvent(event);
}

void TextEdit::mousePressEvent(QMouseEvent *event) {
  QTextEdit::mousePressEvent(event);
  emit clicked();
}
