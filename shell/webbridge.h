#pragma once
// The object the injected page script talks to over the web channel. It only carries calls
// across; what a method does is the view's business (WebView).

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

class WebBridge : public QObject {
  Q_OBJECT
public:
  explicit WebBridge(QObject *parent = nullptr);

  // Name under which pages find this object on the channel.
  static QString channelName();

public slots:
  // tarnwick.invoke(method, ...args)
  void invoke(const QString &method, const QVariantList &args);
  // tarnwick.query(text): answered as successful with the text in upper case.
  QString query(const QString &text);
  // tarnwick.requestUrl(url)
  void requestUrl(const QString &url);
  // The page script has opened the channel and listens for broadcasts.
  void pageConnected();

signals:
  // Delivered to the page as a DOM event `name` with `properties` as its detail.
  void broadcast(const QString &name, const QVariantMap &properties);
  void invoked(const QString &method, const QStringList &args);
  void queryRequested(const QString &query);
  void urlRequested(const QString &url);
  void connected();
};
