#pragma once
// The class discussion in the console: the chat page as the students see it, the input with
// its faces, and the send button. A message goes out in both forms (ConsoleClass::sendChat).

#include <QWidget>

class ConsoleChatPage;
class ConsoleClass;
class EmojiPanel;
class QPushButton;
class TextEdit;

class ConsoleChat : public QWidget {
  Q_OBJECT
public:
  static constexpr int kInputHeight = 80;
  static constexpr int kMaxMessageLength = 500;

  ConsoleChat(ConsoleClass *klass, const QString &pageUrl, QWidget *parent = nullptr);

  ConsoleChatPage *page() const { return m_page; }
  TextEdit *input() const { return m_input; }
  EmojiPanel *emojiPanel() const { return m_emoji; }

public slots:
  void send();

private:
  void onFace(int &faceIndex);

  ConsoleClass *m_class;
  ConsoleChatPage *m_page;
  TextEdit *m_input;
  EmojiPanel *m_emoji;
  QPushButton *m_faceButton, *m_sendButton;
};
