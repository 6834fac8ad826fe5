#include "messaging/chatmessagebuilder.h"

#include "sdk/live/ilivemessage.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextImageFormat>

namespace {
const QString kEmojiPrefix = QStringLiteral("[emoji");
const QString kBlockSeparator = QStringLiteral("\r\n");
} // namespace

bool ChatMessageBuilder::emojiFaceIndex(const QString &imageName, int *index) {
  if (!imageName.startsWith(kEmojiPrefix) || imageName.size() < kEmojiPrefix.size() + 4)
    return false;
  const QString digits = imageName.mid(imageName.size() - 4, 3);
  for (const QChar c : digits)
    if (c < QLatin1Char('0') || c > QLatin1Char('9'))
      return false;
  *index = digits.toInt();
  return true;
}

void ChatMessageBuilder::walkBlock(const QTextBlock &block, std::vector<ChatElement> &out) {
  for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
    const QTextFragment fragment = it.fragment();
    if (!fragment.isValid())
      continue;
    const QTextCharFormat format = fragment.charFormat();
    if (!format.isImageFormat()) {
      out.push_back({ChatElement::Text, fragment.text(), -1});
      continue;
    }
    int index = -1;
    if (!emojiFaceIndex(format.toImageFormat().name(), &index))
      continue;
    // Adjacent identical images share one fragment, one character per image.
    for (int i = 0; i < fragment.length(); ++i)
      out.push_back({ChatElement::Face, QString(), index});
  }
}

void ChatMessageBuilder::walkFrame(const QTextFrame *frame, std::vector<ChatElement> &out) {
  for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
    const QTextBlock block = it.currentBlock();
    if (!block.isValid())
      continue;
    walkBlock(block, out);
    out.push_back({ChatElement::Text, kBlockSeparator, -1});
  }
  // Child frames come after the frame's own blocks.
  const QList<QTextFrame *> children = frame->childFrames();
  for (const QTextFrame *child : children)
    walkFrame(child, out);
}

std::vector<ChatElement> ChatMessageBuilder::elements(const QTextDocument &doc) {
  std::vector<ChatElement> out;
  walkFrame(doc.rootFrame(), out);
  if (!out.empty())
    out.pop_back();
  return out;
}

void ChatMessageBuilder::build(const QTextDocument &doc, ilive::Message &out) {
  for (const ChatElement &e : elements(doc)) {
    if (e.kind == ChatElement::Face) {
      out.addElem(new ilive::MessageFaceElem(e.faceIndex));
    } else {
      const QByteArray utf8 = e.text.toUtf8();
      out.addElem(new ilive::MessageTextElem(ilive::String(utf8.constData(), size_t(utf8.size()))));
    }
  }
}
