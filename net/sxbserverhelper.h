#pragma once
// One backend call: a service name, a path and a parameter map, sent as a form-encoded POST
// to "<backend base>/<service>/<path>" and answered once with the decoded reply envelope
// {"errorCode": int, "errorInfo": text, "data": object}.
//
// The caller hears (errorCode, errorInfo, data, userData) exactly once, or never when it has
// no callback or its guard is gone. Besides the backend's own codes the helper gives:
//   1  no reply within the time limit   (timeoutText())
//   2  network error or HTTP error status (networkErrorText())
//   3  the reply is not a JSON object     (parseErrorText())
// errorInfo is ready to show to the student unchanged.
//
// A window that may be destroyed before its answer passes itself as the guard; the answer
// is then dropped once the window is gone instead of reaching a dangling userData:
//
//   void MainForm::onEnterReply(int code, const QString &info, const QVariantMap &data,
//                               void *userData) {
//     auto *self = static_cast<MainForm *>(userData);  // alive: guarded
//     ...
//   }
//   SxbServerHelper::request(params, QStringLiteral("live-service"), QStringLiteral("enter"),
//                            &MainForm::onEnterReply, this, this);
//
// The helper deletes itself when the call is over. Main thread only.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

class SxbServerHelper {
public:
  using Callback = void (*)(int errorCode, const QString &errorInfo, const QVariantMap &data,
                            void *userData);

  enum HelperError { TimedOut = 1, NetworkError = 2, ParseError = 3 };
  static constexpr int kDefaultTimeLimitMs = 30000;

  // Builds and sends one call; returns at once. callback may be null (fire and forget).
  // guard, when given, must be alive when the answer comes, or the answer is dropped.
  static void request(const QVariantMap &params, const QString &service, const QString &path,
                      Callback callback = nullptr, void *userData = nullptr,
                      QObject *guard = nullptr);

  // "<backend base>/<service>/<path>", the base from the deployment record.
  static QString callUrl(const QString &service, const QString &path);
  // Every entry in ascending key order as key=value joined by "&", values as text.
  static QString formBody(const QVariantMap &params);

  static QString timeoutText();
  static QString networkErrorText();
  static QString parseErrorText();

  // The time limit of every call; tests shorten it.
  static int timeLimitMs();
  static void setTimeLimitMs(int ms);

  // Calls in flight in this process.
  static int liveCount();

  // A reply body read as its envelope; false (reply untouched) when it is not a JSON object.
  // A code sent as text ("500") counts as that number; data is empty unless an object.
  struct Reply {
    int errorCode = 0;
    QString errorInfo;
    QVariantMap data;
  };
  static bool decodeReply(const QByteArray &body, Reply *reply);

  // Sends the prepared call (request() uses it).
  void request2(const QString &url, const QString &content);
  // NetworkHelper callback; userData is the SxbServerHelper of the call.
  static void OnNetworkReply(int outcome, QByteArray &body, void *userData);

  SxbServerHelper(const SxbServerHelper &) = delete;
  SxbServerHelper &operator=(const SxbServerHelper &) = delete;

private:
  SxbServerHelper(Callback callback, void *userData, QObject *guard);
  ~SxbServerHelper();
  void answer(int errorCode, const QString &errorInfo, const QVariantMap &data);
  void decode(const QByteArray &body);

  QString url;
  QString content;
  Callback callback;
  void *userData;
  bool guarded;
  QPointer<QObject> guard;
  bool finished = false;
};
