#include "net/sxbserverhelper.h"

#include "core/deployment.h"
#include "net/networkhelper.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QUrl>
#include <QUrlQuery>
#include <QtDebug>

namespace {

int g_live = 0;
int g_timeLimitMs = SxbServerHelper::kDefaultTimeLimitMs;

// QUrlQuery takes its input as already percent-encoded and keeps "+" as it is, so "%41"
// would arrive as "A" and "+" as a space. Escape both so the backend reads the exact text.
QString formEscaped(QString text) {
  return text.replace(QLatin1Char('%'), QLatin1String("%25"))
      .replace(QLatin1Char('+'), QLatin1String("%2B"));
}

} // namespace

SxbServerHelper::SxbServerHelper(Callback callback, void *userData, QObject *guard)
    : callback(callback), userData(userData), guarded(guard != nullptr), guard(guard) {
  ++g_live;
}

SxbServerHelper::~SxbServerHelper() { --g_live; }

int SxbServerHelper::liveCount() { return g_live; }
int SxbServerHelper::timeLimitMs() { return g_timeLimitMs; }
void SxbServerHelper::setTimeLimitMs(int ms) { g_timeLimitMs = ms; }

QString SxbServerHelper::timeoutText() {
  return QStringLiteral("服务器未能返回处理结果，请检查网络是否通畅。");
}
QString SxbServerHelper::networkErrorText() {
  return QStringLiteral("服务器处理数据时出现错误，请稍后重试或关闭程序重新打开。");
}
QString SxbServerHelper::parseErrorText() {
  return QStringLiteral("解析服务器返回的数据时出现错误，请稍后重试或关闭程序重新打开。");
}

QString SxbServerHelper::callUrl(const QString &service, const QString &path) {
  return QStringLiteral("%1/%2/%3").arg(Deployment::instance().backendUrl, service, path);
}

QString SxbServerHelper::formBody(const QVariantMap &params) {
  QUrlQuery query;
  for (auto it = params.cbegin(); it != params.cend(); ++it)
    query.addQueryItem(formEscaped(it.key()), formEscaped(it.value().toString()));
  return query.query(QUrl::PrettyDecoded);
}

void SxbServerHelper::request(const QVariantMap &params, const QString &service,
                              const QString &path, Callback callback, void *userData,
                              QObject *guard) {
  auto *helper = new SxbServerHelper(callback, userData, guard);
  helper->request2(callUrl(service, path), formBody(params));
}

void SxbServerHelper::request2(const QString &url, const QString &content) {
  this->url = url;
  this->content = content;
  qDebug("SxbServerHelper::request2----szUrl=%s, szContent=%s", url.toUtf8().constData(),
         content.toUtf8().constData());
  NetworkHelper::post(url, content, &SxbServerHelper::OnNetworkReply, this, g_timeLimitMs);
}

void SxbServerHelper::answer(int errorCode, const QString &errorInfo, const QVariantMap &data) {
  if (!callback) return;
  if (guarded && !guard) {
    qDebug("SxbServerHelper::OnNetworkReply----caller gone, answer dropped");
    return;
  }
  callback(errorCode, errorInfo, data, userData);
}

bool SxbServerHelper::decodeReply(const QByteArray &body, Reply *reply) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject())
    return false;
  const QJsonObject envelope = doc.object();
  const QJsonValue data = envelope.value(QLatin1String("data"));
  // toVariant() so that a code sent as text ("500") is not mistaken for success.
  reply->errorCode = envelope.value(QLatin1String("errorCode")).toVariant().toInt();
  reply->errorInfo = envelope.value(QLatin1String("errorInfo")).toString();
  reply->data = data.isObject() ? data.toObject().toVariantMap() : QVariantMap();
  return true;
}

void SxbServerHelper::decode(const QByteArray &body) {
  qDebug("SxbServerHelper::OnNetworkReply----content=%s", body.constData());
  Reply reply;
  if (!decodeReply(body, &reply)) {
    qDebug("SxbServerHelper::OnNetworkReply----json---error=%s", body.constData());
    answer(ParseError, parseErrorText(), QVariantMap());
    return;
  }
  answer(reply.errorCode, reply.errorInfo, reply.data);
}

void SxbServerHelper::OnNetworkReply(int outcome, QByteArray &body, void *userData) {
  auto *helper = static_cast<SxbServerHelper *>(userData);
  qDebug("SxbServerHelper::OnNetworkReply----errCode=%d", outcome);
  if (!helper->finished) {
    switch (outcome) {
    case NetworkHelper::TimedOut:
      // The aborted reply follows at once and comes back here to delete the helper.
      helper->answer(TimedOut, timeoutText(), QVariantMap());
      helper->finished = true;
      return;
    case NetworkHelper::NetworkError:
      helper->answer(NetworkError, networkErrorText(), QVariantMap());
      break;
    case NetworkHelper::ReplyFinished:
      helper->decode(body);
      break;
    default:
      break;
    }
  }
  qDebug("delete pSxbServerHelper");
  delete helper;
}
