#include "shell/webbridge.h"

#include <QStringList>

WebBridge::WebBridge(QObject *parent) : QObject(parent) {}

QString WebBridge::channelName() { return QStringLiteral("tarnwickBridge"); }

void WebBridge::invoke(const QString &method, const QVariantList &args) {
  QStringList texts;
  texts.reserve(args.size());
  for (const QVariant &a : args) texts << a.toString();
  emit invoked(method, texts);
}

QString WebBridge::query(const QString &text) {
  emit queryRequested(text);
  return text.toUpper();
}

void WebBridge::requestUrl(const QString &url) { emit urlRequested(url); }

void WebBridge::pageConnected() { emit connected(); }
