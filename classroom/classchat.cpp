#include "classroom/classchat.h"

#include "classroom/classroomseam.h"
#include "classroom_widgets/textedit.h"
#include "core/jsonhelpers.h"
#include "messaging/chatmessagebuilder.h"
#include "messaging/classsend.h"
#include "messaging/livemessage.h"
#include "sdk/live/ilivemessage.h"

#include <QAbstractButton>
#include <QJsonObject>
#include <QJsonDocument>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextFrame>

namespace {

const QString kSystemName = QStringLiteral("系统消息");

QVariantMap item(const QString &type, const QString &value) {
  return {{QStringLiteral("type"), type}, {QStringLiteral("value"), value}};
}

QString contentsText(const QVariantList &contents) {
  QString body;
  for (const QVariant &v : contents) {
    const QVariantMap m = v.toMap();
    const QString value = m.value(QStringLiteral("value")).toString();
    if (m.value(QStringLiteral("type")).toString() == QLatin1String("face"))
      body += QStringLiteral("[表情%1]").arg(value);
    else
      body += value;
  }
  return body;
}

} // namespace

ClassChat::ClassChat(ChatPage *page, TextEdit *input, QAbstractButton *send, QWidget *toolBar,
                     QWidget *emojiPanel, QObject *parent)
    : QObject(parent), page_(page), input_(input), send_(send), toolBar_(toolBar), emojiPanel_(emojiPanel) {}

QString ClassChat::faceValue(int index) {
  if (index < 10)
    return QStringLiteral("00%1").arg(index);
  if (index < 100)
    return QStringLiteral("0%1").arg(index);
  return QString::number(index);
}

void ClassChat::addSystemMessage(const QString &text) {
  showMessageMap({{QStringLiteral("name"), kSystemName},
                  {QStringLiteral("type"), QStringLiteral("message")},
                  {QStringLiteral("contents"), QVariantList{item(QStringLiteral("text"), text)}}});
}

void ClassChat::showMessageMap(const QVariantMap &message) {
  post(QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(message)).toJson()), 0);
  record(message);
}

void ClassChat::receiveChatCommand(const QString &senderName, const QString &json, uint32_t time) {
  const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8());
  if (!doc.isObject())
    return;
  QJsonObject message = doc.object();
  // A classmate could write "系统消息" or the teacher's name here.
  message.insert(QStringLiteral("name"), senderName);
  post(QString::fromUtf8(QJsonDocument(message).toJson()), time);
  record(message.toVariantMap());
}

void ClassChat::receivePlain(const QString &name, const QString &device,
                             const std::vector<LiveMessage> &records) {
  if (device.startsWith(QLatin1String("PC2.0")))
    return;
  QVariantList contents;
  for (const LiveMessage &r : records) {
    if (r.type == LiveMessage::Text)
      contents << item(QStringLiteral("text"), r.text);
    else if (r.type == LiveMessage::Face)
      contents << item(QStringLiteral("face"), faceValue(r.faceIndex));
  }
  if (contents.isEmpty())
    return;
  showMessageMap({{QStringLiteral("name"), name},
                  {QStringLiteral("type"), QStringLiteral("message")},
                  {QStringLiteral("contents"), contents}});
}

void ClassChat::post(const QString &text, uint32_t time) {
  posted_ << text;
  if (page_)
    page_->broadcastEvent(QStringLiteral("sendText"),
                          {{QStringLiteral("message"), text}, {QStringLiteral("time"), QString::number(time)}});
}

void ClassChat::record(const QVariantMap &message) {
  const bool picture = message.value(QStringLiteral("type")).toString() == QLatin1String("image");
  lines_ << message.value(QStringLiteral("name")).toString() + QLatin1Char(':') +
                (picture ? QStringLiteral("[图片]") : contentsText(message.value(QStringLiteral("contents")).toList()));
}

void ClassChat::closeChat() {
  input_->setPlainText(QStringLiteral("老师已关讨论区，暂时无法发言"));
  input_->setEnabled(false);
  send_->setEnabled(false);
  allowed_ = false;
  if (emojiPanel_)
    emojiPanel_->hide();
}

void ClassChat::openChat() {
  input_->clear();
  input_->setEnabled(true);
  send_->setEnabled(true);
  allowed_ = true;
}

void ClassChat::setControlsEnabled(bool enabled) {
  input_->setEnabled(enabled);
  send_->setEnabled(enabled);
  if (toolBar_)
    toolBar_->setEnabled(enabled);
}

int ClassChat::messageLength(const QVariantMap &message) {
  int length = 0;
  for (const QVariant &v : message.value(QStringLiteral("contents")).toList())
    length += v.toMap().value(QStringLiteral("value")).toString().length();
  return length;
}

QVariantMap ClassChat::pageMessage(const QTextDocument &document, const QString &userName) {
  QVariantList contents;
  // Blocks of the root frame only: child frames are not entered.
  for (auto frameIt = document.rootFrame()->begin(); !frameIt.atEnd(); ++frameIt) {
    const QTextBlock block = frameIt.currentBlock();
    if (!block.isValid())
      continue;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      qDebug("--------------\n\n");
      qDebug("%s\n\n", qUtf8Printable(fragment.text()));
      const QTextCharFormat format = fragment.charFormat();
      if (!format.isImageFormat()) {
        contents << item(QStringLiteral("text"), fragment.text());
        continue;
      }
      int index = 0;
      if (!ChatMessageBuilder::emojiFaceIndex(format.toImageFormat().name(), &index))
        continue;
      for (int i = 0; i < fragment.length(); ++i)
        contents << item(QStringLiteral("face"), faceValue(index));
    }
  }
  if (contents.isEmpty())
    return {};
  return {{QStringLiteral("name"), userName},
          {QStringLiteral("type"), QStringLiteral("message")},
          {QStringLiteral("contents"), contents}};
}

void ClassChat::send(int status, const QString &userName) {
  if (status < 2)
    return;
  QTextDocument *doc = input_->document();
  const QVariantMap message = pageMessage(*doc, userName);
  if (messageLength(message) > kMaxMessageLength) {
    addSystemMessage(QStringLiteral("发送消息内容超长，请分条发送。"));
    return;
  }
  ilive::Message im;
  ChatMessageBuilder::build(*doc, im);
  g_sendGroupCmd(im);
  if (!message.isEmpty()) {
    const QString json = QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(message)).toJson());
    g_sendGroupCustomCmd(ClassCommandCode::Chat, json);
    post(json, 0);
    record(message);
    post(QStringLiteral("toBottom"), 0);
  }
  doc->clear();
  input_->clear();
  input_->setFocus();
}
