#include "sdk/board/boardhistory.h"

#include "protocol/immessage.h"
#include "sdk/board/boardaction.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrlQuery>

namespace board {

const char kHistoryPath[] = "/board/history";

namespace {

QMutex g_sourceMutex;
HistorySource g_source;

// One page from `from` on; the pages before it are in `got`. Asks for the next page itself
// until the service has no more, or kMaxHistoryPages were read.
void fetchPage(QNetworkAccessManager *network, const HistoryQuery &query, HistoryDone done, qint64 from,
               int pages, QList<QByteArray> got) {
  QUrlQuery form;
  form.addQueryItem(QStringLiteral("roomId"), QString::number(query.roomId));
  form.addQueryItem(QStringLiteral("userId"), QString::fromLatin1(QUrl::toPercentEncoding(query.userId)));
  form.addQueryItem(QStringLiteral("userSig"), QString::fromLatin1(QUrl::toPercentEncoding(query.userSig)));
  form.addQueryItem(QStringLiteral("from"), QString::number(from));
  QNetworkRequest request(QUrl(query.serviceUrl + QLatin1String(kHistoryPath)));
  request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
  QNetworkReply *reply = network->post(request, form.toString(QUrl::FullyEncoded).toUtf8());
  QObject::connect(reply, &QNetworkReply::finished, network, [=]() mutable {
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError &&
        reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 0) {
      done(kHistoryUnreachable, {});
      return;
    }
    int code = 0;
    qint64 next = -1;
    got += envelopesOfReply(reply->readAll(), &code, &next);
    if (code == 0 && next > from && pages + 1 < kMaxHistoryPages)
      fetchPage(network, query, done, next, pages + 1, std::move(got));
    else
      done(code, got);
  });
}

void fetchOverHttp(QNetworkAccessManager *network, const HistoryQuery &query, HistoryDone done) {
  fetchPage(network, query, std::move(done), 0, 0, {});
}

} // namespace

void setHistorySource(HistorySource source) {
  QMutexLocker lock(&g_sourceMutex);
  g_source = std::move(source);
}

HistorySource historySource() {
  QMutexLocker lock(&g_sourceMutex);
  return g_source ? g_source : HistorySource(&fetchOverHttp);
}

QList<QByteArray> envelopesOfReply(const QByteArray &reply, int *code, qint64 *next) {
  const QJsonObject o = QJsonDocument::fromJson(reply).object();
  const QJsonValue errorCode = o.value(QLatin1String("errorCode"));
  *code = errorCode.isDouble() ? errorCode.toInt() : kHistoryMalformed;
  QList<QByteArray> envelopes;
  const QJsonObject data = o.value(QLatin1String("data")).toObject();
  if (next) {
    const QJsonValue n = data.value(QLatin1String("next"));
    *next = n.isDouble() && n.toDouble() >= 0 ? qint64(n.toDouble()) : -1;
  }
  const QJsonArray messages = data.value(QLatin1String("messages")).toArray();
  for (const QJsonValue &v : messages) {
    hubproto::ImMessage m;
    QString error;
    if (!hubproto::messageFromJson(v.toObject(), &m, &error))
      continue;
    for (const hubproto::Element &e : m.elems)
      if (e.kind == hubproto::Element::Custom || e.kind == hubproto::Element::File)
        envelopes.append(e.data);
  }
  return envelopes;
}

QList<QJsonObject> actionsOfEnvelope(const QByteArray &envelope) {
  return actionsOf(QJsonDocument::fromJson(envelope).object().value(QLatin1String("value")));
}

} // namespace board
