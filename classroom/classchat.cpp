#include "classroom/classchat.h"

#include "core/jsonhelpers.h"
#include "messaging/chatmessagebuilder.h"
#include "messaging/classsend.h"
#include "messaging/livemessage.h"
#include "sdk/live/ilivemessage.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QJsonObject>
#include <QTextBrowser>
#include <QTextEdit>

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

ClassChat::ClassChat(QTextBrowser *view, QTextEdit *input, QAbstractButton *send, QWidget *toolBar,
                     QObject *parent)
    : QObject(parent), view_(view), input_(input), send_(send), toolBar_(toolBar) {}

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
  const QString name = message.value(QStringLiteral("name")).toString();
  QString body;
  if (message.value(QStringLiteral("type")).toString() == QLatin1String("image"))
    body = QStringLiteral("[图片]");
  else
    body = contentsText(message.value(QStringLiteral("contents")).toList());
  appendLine(name, body, name == kSystemName);
}

void ClassChat::receiveChatCommand(const QString &json, uint32_t) {
  const QVariantMap message = jsonToMap(json);
  if (!message.isEmpty())
    showMessageMap(message);
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

void ClassChat::appendLine(const QString &name, const QString &body, bool system) {
  lines_ << name + QLatin1Char(':') + body;
  if (!view_)
    return;
  const QString colour = system ? QStringLiteral("#e08a00") : QStringLiteral("#2f8cff");
  view_->append(QStringLiteral("<p style='margin:6px 0 0 0;'><span style='color:%1;'>%2</span>"
                               " <span style='color:#a0a4ab;'>%3</span><br/>"
                               "<span style='color:#333333;'>%4</span></p>")
                    .arg(colour, name.toHtmlEscaped(),
                         QDateTime::currentDateTime().toString(QStringLiteral("HH:mm")),
                         body.toHtmlEscaped()));
}

void ClassChat::closeChat() {
  input_->setPlainText(QStringLiteral("老师已关讨论区，暂时无法发言"));
  input_->setEnabled(false);
  send_->setEnabled(false);
  allowed_ = false;
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

void ClassChat::send(int status, const QString &userName) {
  if (status < 2)
    return;
  QTextDocument *doc = input_->document();
  QVariantList contents;
  for (const ChatElement &e : ChatMessageBuilder::elements(*doc)) {
    if (e.kind == ChatElement::Face)
      contents << item(QStringLiteral("face"), faceValue(e.faceIndex));
    else if (e.text != QLatin1String("\r\n"))
      contents << item(QStringLiteral("text"), e.text);
  }
  QVariantMap message;
  if (!contents.isEmpty())
    message = {{QStringLiteral("name"), userName},
               {QStringLiteral("type"), QStringLiteral("message")},
               {QStringLiteral("contents"), contents}};
  if (messageLength(message) > kMaxMessageLength) {
    addSystemMessage(QStringLiteral("发送消息内容超长，请分条发送。"));
    return;
  }
  ilive::Message im;
  ChatMessageBuilder::build(*doc, im);
  g_sendGroupCmd(im);
  if (!message.isEmpty()) {
    g_sendGroupCustomCmd(ClassCommandCode::Chat, jsonToText(QJsonObject::fromVariantMap(message)));
    showMessageMap(message);
  }
  input_->clear();
  input_->setFocus();
}
