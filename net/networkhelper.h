#pragma once
// One HTTP request with a time limit, reported through a plain callback.
//
// Outcomes passed to the callback:
//   0  the reply finished without a network error; body = the whole reply body
//   1  the time limit ran out first; body empty
//   2  the reply finished with a network error (an HTTP error status counts); body empty
//
// Each request owns its helper, network access manager, timer and reply; they delete
// themselves once the reply has finished. When the limit runs out the callback hears 1 and
// the reply is aborted, so the callback hears once more (2) straight after and nothing
// outlives the limit. Main thread only.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QTimer;

class NetworkHelper : public QObject {
  Q_OBJECT
public:
  using Callback = void (*)(int outcome, QByteArray &body, void *userData);

  enum Outcome { ReplyFinished = 0, TimedOut = 1, NetworkError = 2 };

  // Create a helper and send; both return at once. callback may be null.
  static void get(const QString &url, Callback callback, void *userData, int timeoutMs);
  static void post(const QString &url, const QString &content, Callback callback, void *userData,
                   int timeoutMs);

  // Helpers alive in this process (each request is one until its reply is over).
  static int liveCount();

  ~NetworkHelper() override;

public slots:
  void OnReplyFinished(QNetworkReply *reply);
  void OnTimer();

private:
  NetworkHelper(const QString &url, const QString &content, Callback callback, void *userData,
                int timeoutMs);
  QNetworkRequest makeRequest(const char *contentType) const;
  void sendGet();
  void sendPost();
  void startTimer();
  void answer(int outcome, QByteArray body);

  QNetworkAccessManager *manager;
  QTimer *timer;
  QString url;
  QString content;
  Callback callback;
  void *userData;
  int timeoutMs;
  QPointer<QNetworkReply> reply;
};
