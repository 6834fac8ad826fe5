#pragma once
// The chat column of the classroom window as the session and the teacher's commands see it:
// system notes, chat lines handed over by commands and received messages, and whether the
// student may write. Everything shown goes to the chat page as chat page messages (JSON text
// in the "sendText" event); the input holds text with inline emoji faces.

#include "classroom/classchatview.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <cstdint>
#include <vector>

class ChatPage;
class QAbstractButton;
class QTextDocument;
class QWidget;
class TextEdit;

class ClassChat : public QObject, public ClassChatView {
  Q_OBJECT
public:
  static constexpr int kMaxMessageLength = 500;

  // page may be null (no browser): what would be posted is still recorded.
  ClassChat(ChatPage *page, TextEdit *input, QAbstractButton *send, QWidget *toolBar, QWidget *emojiPanel,
            QObject *parent);

  // {"name": "系统消息", "type": "message", "contents": [{"type": "text", "value": text}]}.
  void addSystemMessage(const QString &text) override;
  // A chat page message (name, type, contents or url) shown at once.
  void showMessageMap(const QVariantMap &message);
  // The JSON text of a chat page message, as command 2056 carries it, shown under the
  // sender's roster name whatever name it carries; text that is no JSON object is dropped.
  void receiveChatCommand(const QString &senderName, const QString &json, uint32_t time) override;
  // The plain elements of a received message (text 1, face 6), from a sender whose roster row
  // gave name and device. Clients whose device starts with "PC2.0" send their chat again as
  // command 2056, so their plain elements are skipped.
  void receivePlain(const QString &name, const QString &device,
                    const std::vector<LiveMessage> &records) override;

  // The teacher closes / reopens the discussion.
  void closeChat() override;
  void openChat() override;
  bool chatAllowed() const override { return allowed_; }

  // The student's message: nothing below status 2; over 500 characters only a note. Sent as
  // text and face elements and again as command 2056 with the chat page message, which is
  // also shown at once (the sender does not receive its own messages).
  void send(int status, const QString &userName);
  // Sum of the "value" lengths of "contents" (a face counts three).
  static int messageLength(const QVariantMap &message);
  // The chat page message of the input's document: its text runs and faces in order, nothing
  // between blocks; empty when it holds neither.
  static QVariantMap pageMessage(const QTextDocument &document, const QString &userName);

  // The session's controls: input, send button and tool bar together.
  void setControlsEnabled(bool enabled) override;

  // Face index in its three-digit form ("007", "042", "139").
  static QString faceValue(int index);
  // A readable transcript, one "name:text" line per message shown (faces as [表情NNN]).
  QStringList shownLines() const { return lines_; }
  // Every text posted to the page, in order (chat page messages as JSON and "toBottom").
  QStringList postedTexts() const { return posted_; }

private:
  void post(const QString &text, uint32_t time);
  void record(const QVariantMap &message);

  ChatPage *page_;
  TextEdit *input_;
  QAbstractButton *send_;
  QWidget *toolBar_;
  QWidget *emojiPanel_;
  bool allowed_ = true;
  QStringList lines_;
  QStringList posted_;
};
