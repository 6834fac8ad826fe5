#pragma once
// Turns the chat editor's document into the elements of an outgoing chat message: text
// fragments become text elements, emoji images become face elements, "\r\n" separates
// blocks, and the trailing separator is dropped.

#include <QString>
#include <vector>

namespace ilive {
class Message;
}
class QTextBlock;
class QTextDocument;
class QTextFrame;

struct ChatElement {
  enum Kind { Text, Face };
  Kind kind = Text;
  QString text;       // Text: the fragment's text
  int faceIndex = -1; // Face: the emoji's index

  bool operator==(const ChatElement &o) const {
    return kind == o.kind && text == o.text && faceIndex == o.faceIndex;
  }
};

class ChatMessageBuilder {
public:
  static std::vector<ChatElement> elements(const QTextDocument &doc);
  // The same elements as live-SDK message elements (text 0, face 3), appended to out.
  static void build(const QTextDocument &doc, ilive::Message &out);

  // The editor names emoji images "[emoji_NNN]". True and the index for such a name: it
  // begins with "[emoji" and the three characters before its last one are decimal digits.
  static bool emojiFaceIndex(const QString &imageName, int *index);

private:
  static void walkFrame(const QTextFrame *frame, std::vector<ChatElement> &out);
  static void walkBlock(const QTextBlock &block, std::vector<ChatElement> &out);
};
