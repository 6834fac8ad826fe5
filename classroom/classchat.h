#pragma once
// The chat column of the classroom window as the session and the teacher's commands see it:
// system notes, chat lines handed over by commands and received messages, and whether the
// student may write. The chat page (a web view) and the emoji input are not part of this
// build yet; until they come, lines are drawn into a native text view and the input is a plain
// text field, behind this same interface.

#include "classroom/classchatview.h"

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <vector>

class QAbstractButton;
class QTextBrowser;
class QTextEdit;
class QWidget;

class ClassChat : public QObject, public ClassChatView {
  Q_OBJECT
public:
  static constexpr int kMaxMessageLength = 500;

  ClassChat(QTextBrowser *view, QTextEdit *input, QAbstractButton *send, QWidget *toolBar,
            QObject *parent);

  // {"name": "系统消息", "type": "message", "contents": [{"type": "text", "value": text}]}.
  void addSystemMessage(const QString &text) override;
  // A chat page message (name, type, contents) shown at once.
  void showMessageMap(const QVariantMap &message);
  // The JSON text of a chat page message, as command 2056 carries it.
  void receiveChatCommand(const QString &json, uint32_t time) override;
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

  // The session's controls: input, send button and tool bar together.
  void setControlsEnabled(bool enabled) override;

  // Face index in its three-digit form ("007", "042", "139").
  static QString faceValue(int index);
  // Lines shown so far (for the window's own checks and tests).
  QStringList shownLines() const { return lines_; }

private:
  void appendLine(const QString &name, const QString &body, bool system);

  QTextBrowser *view_;
  QTextEdit *input_;
  QAbstractButton *send_;
  QWidget *toolBar_;
  bool allowed_ = true;
  QStringList lines_;
};
