#include "messagingfuzz.h"

#include "immessagefactory.h"

#include "messaging/classcommand.h"
#include "messaging/imservice.h"
#include "messaging/livemessage.h"
#include "messaging/messagehook.h"
#include "messaging/messagesink.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <cstring>

namespace messagingfuzz {
namespace {

enum Target : uint8_t { CommandParser = 0, MessageDecoding = 1, TargetCount };

// Receives the hook's emissions on the calling thread so a case can check them at once.
class DirectSink : public QObject {
  Q_OBJECT
public:
  DirectSink() {
    registerLiveMessageType();
    connect(this, &DirectSink::receiveMessage, this, &DirectSink::take, Qt::DirectConnection);
  }
  QList<LiveMessageList> got;
signals:
  void receiveMessage(QString sender, std::vector<LiveMessage> *msgs);
private slots:
  void take(QString, std::vector<LiveMessage> *msgs) {
    got.append(*MessageSink::take(msgs));
  }
};

int g_whiteboardCalls = 0;
void countWhiteboard(im::MessageHandle, int, IMService *) { ++g_whiteboardCalls; }

// Reads the fuzz input as a little program that builds a batch of IM messages.
class BatchReader {
public:
  explicit BatchReader(const QByteArray &in) : in_(in) {}
  bool atEnd() const { return pos_ >= in_.size(); }
  uint8_t byte() { return atEnd() ? 0 : uint8_t(in_[pos_++]); }
  QByteArray bytes() {
    const int n = qMin(int(byte()) * (1 + int(byte() & 0x3f)), in_.size() - pos_);
    const QByteArray out = in_.mid(pos_, n);
    pos_ += n;
    return out;
  }
  int32_t int32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
      v = (v << 8) | byte();
    int32_t out;
    std::memcpy(&out, &v, sizeof out);
    return out;
  }

private:
  const QByteArray &in_;
  int pos_ = 0;
};

struct ExpectedMessage {
  LiveMessageList records;
  bool whiteboard = false;
};

QByteArray upToNul(const QByteArray &b) {
  const int nul = b.indexOf('\0');
  return nul < 0 ? b : b.left(nul);
}

void addElement(ImMessageFactory &f, im::MessageHandle m, ExpectedMessage &e, BatchReader &r,
                uint8_t op) {
  LiveMessage rec;
  switch (op) {
  case 1: {
    const QByteArray text = r.bytes();
    f.addText(m, text);
    rec = {LiveMessage::Text, QString::fromUtf8(upToNul(text)), -1, 0};
    break;
  }
  case 2: {
    const QByteArray data = r.bytes();
    f.addCustom(m, data, r.bytes());
    rec = {LiveMessage::Custom, QString::fromUtf8(upToNul(data)), -1, 0};
    break;
  }
  case 3: {
    const int32_t index = r.int32();
    f.addFace(m, index);
    rec = {LiveMessage::Face, QString(), index, 0};
    break;
  }
  default: // the only other kind the IM layer carries
    f.addElemOfType(m, im::IM_ELEM_FILE);
    rec = {im::IM_ELEM_FILE, QString(), -1, 0};
    break;
  }
  e.records.push_back(rec);
}

QString compare(const LiveMessageList &got, const LiveMessageList &want) {
  if (got.size() != want.size())
    return QStringLiteral("record count %1, expected %2").arg(got.size()).arg(want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    if (got[i].type != want[i].type || got[i].text != want[i].text ||
        got[i].faceIndex != want[i].faceIndex)
      return QStringLiteral("record %1 differs (type %2, expected %3)")
          .arg(i).arg(got[i].type).arg(want[i].type);
    if (got[i].time != got[0].time)
      return QStringLiteral("records of one message carry different times");
  }
  return QString();
}

// Whatever the batch holds, each non-whiteboard message arrives once, in order, with one
// record per element, and each whiteboard message reaches the decoder once.
QString fuzzMessageDecoding(const QByteArray &input) {
  ImMessageFactory f;
  std::vector<im::MessageHandle> batch;
  std::vector<ExpectedMessage> expected;
  BatchReader r(input);
  while (!r.atEnd() && batch.size() < 64) {
    const uint8_t op = r.byte() % 7;
    if (op == 0 || batch.empty()) {
      batch.push_back(f.create());
      expected.emplace_back();
      if (op == 0)
        continue;
    }
    if (op == 5) {
      const bool exact = r.byte() & 1;
      const QByteArray ext = exact ? QByteArray(MessageHook::kWhiteboardExt) : r.bytes();
      f.setPushExt(batch.back(), ext);
      // The extension is text: it ends at its first NUL, like every field the hook reads.
      expected.back().whiteboard = upToNul(ext) == MessageHook::kWhiteboardExt;
      continue;
    }
    addElement(f, batch.back(), expected.back(), r, op);
  }
  DirectSink sink;
  g_whiteboardCalls = 0;
  IMService::instance()->setWBMessageDecoder(&countWhiteboard);
  MessageHook::install(&sink);
  MessageHook::onNewMessage(batch.data(), uint32_t(batch.size()), &sink);
  MessageHook::uninstall();
  IMService::instance()->setWBMessageDecoder(nullptr);

  int whiteboards = 0, next = 0;
  for (const ExpectedMessage &e : expected) {
    if (e.whiteboard) {
      ++whiteboards;
      continue;
    }
    if (next >= sink.got.size())
      return QStringLiteral("a class message was not delivered");
    const QString diff = compare(sink.got[next++], e.records);
    if (!diff.isEmpty())
      return diff;
  }
  if (next != sink.got.size())
    return QStringLiteral("more messages delivered than sent");
  if (whiteboards != g_whiteboardCalls)
    return QStringLiteral("whiteboard decoder called %1 times, expected %2")
        .arg(g_whiteboardCalls).arg(whiteboards);
  return QString();
}

// Whatever the parser accepts must survive a write and a second read unchanged.
QString fuzzCommandParser(const QByteArray &input) {
  ClassCommand first;
  first.userAction = 12345;
  first.actionParam = QStringLiteral("untouched");
  if (!ClassCommand::parse(input, &first)) {
    if (first.userAction != 12345 || first.actionParam != QStringLiteral("untouched"))
      return QStringLiteral("refused input changed the result");
    return QString();
  }
  ClassCommand second;
  if (!ClassCommand::parse(ClassCommand::toJson(first.userAction, first.actionParam), &second))
    return QStringLiteral("written command does not parse");
  if (second.userAction != first.userAction || second.actionParam != first.actionParam)
    return QStringLiteral("command changed through write and read");
  return QString();
}

} // namespace

QString runOne(const uint8_t *data, size_t size) {
  if (size == 0)
    return QString();
  const QByteArray rest(reinterpret_cast<const char *>(data + 1), int(size - 1));
  switch (data[0] % TargetCount) {
  case CommandParser:
    return fuzzCommandParser(rest);
  case MessageDecoding:
    return fuzzMessageDecoding(rest);
  }
  return QString();
}

QList<QByteArray> seeds() {
  QList<QByteArray> out;
  const auto command = [&out](const QByteArray &json) {
    out << QByteArray(1, char(CommandParser)) + json;
  };
  command(ClassCommand::toJson(2051, QStringLiteral("abc")));
  command(ClassCommand::toJson(2056, QStringLiteral("{\"name\":\"小明\",\"type\":\"message\"}")));
  command(R"({"userAction":"2110","actionParam":"1"})");
  command(R"({"userAction":2101,"actionParam":"{\"type\":\"101\",\"amount\":5}"})");
  command(R"({"userAction":1,"actionParam":"\ud800 lone"})");
  command(R"({"userAction":-0.0,"actionParam":null,"x":[1,{"y":"\ud83d\ude00"}]})");
  // Seed programs for the decoding target, written with the reader's own encoding.
  const auto chunk = [](const QByteArray &b) { return QByteArray(1, char(b.size())) + '\0' + b; };
  const QByteArray newMessage(1, '\0');
  const auto text = [&](const QByteArray &t) { return QByteArray(1, '\1') + chunk(t); };
  const auto custom = [&](const QByteArray &d, const QByteArray &e) {
    return QByteArray(1, '\2') + chunk(d) + chunk(e);
  };
  const auto face = [](char i) { return QByteArray("\3\0\0\0", 4) + i; };
  const QByteArray whiteboard("\5\1", 2);
  const auto ext = [&](const QByteArray &e) { return QByteArray("\5\0", 2) + chunk(e); };
  const QByteArray file(1, '\4');
  const QByteArray decoding(1, char(MessageDecoding));
  out << decoding + text("hi") + face(7) + text("\xe4\xb8\xad") + newMessage + whiteboard +
             custom("{\"a\":1}", "TXWhiteBoardExt") + newMessage +
             text(QByteArray("a\0b", 3)) + file;
  out << decoding + ext("TXWhiteBoardEx") + custom(ClassCommand::toJson(2049, "u"),
                                                   ClassCommand::kExt) +
             newMessage + ext("TXWhiteBoardExtX") + newMessage;
  return out;
}

void quietLogs() {
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &msg) {
    if (type != QtDebugMsg)
      fprintf(stderr, "%s\n", qPrintable(msg));
  });
}

} // namespace messagingfuzz

#include "messagingfuzz.moc"
