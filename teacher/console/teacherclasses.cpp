#include "teacher/console/teacherclasses.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrlQuery>

QString TeacherClass::title() const {
  return QStringLiteral("%1 · %2（房间 %3，%4–%5）").arg(courseName, lessonName).arg(roomId).arg(startTime, endTime);
}

TeacherClasses::TeacherClasses(QObject *parent) : QObject(parent) {
  m_net.setProxy(QNetworkProxy::NoProxy); // the class service runs on this machine
}

void TeacherClasses::fetch(const QString &serviceUrl, const QString &phone, const QString &password) {
  m_baseUrl = serviceUrl.endsWith(QLatin1Char('/')) ? serviceUrl.chopped(1) : serviceUrl;
  QUrlQuery form;
  form.addQueryItem(QStringLiteral("phone"), phone);
  form.addQueryItem(QStringLiteral("password"), password);
  post(QStringLiteral("login/sign-in"), form.toString(QUrl::FullyEncoded).toUtf8(), [this](const QJsonObject &data) {
    m_userId = data.value(QLatin1String("userId")).toString();
    QUrlQuery token;
    token.addQueryItem(QStringLiteral("token"), data.value(QLatin1String("token")).toString());
    post(QStringLiteral("quorvel/classes"), token.toString(QUrl::FullyEncoded).toUtf8(),
         [this](const QJsonObject &classes) { onClasses(classes); });
  });
}

void TeacherClasses::post(const QString &call, const QByteArray &form, Next next) {
  QNetworkRequest request(QUrl(m_baseUrl + QLatin1Char('/') + call));
  request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
  request.setTransferTimeout(kTimeoutMs);
  QNetworkReply *reply = m_net.post(request, form);
  connect(reply, &QNetworkReply::finished, this, [this, reply, next] {
    reply->deleteLater();
    const QJsonObject envelope = QJsonDocument::fromJson(reply->readAll()).object();
    if (!envelope.value(QLatin1String("errorCode")).isDouble())
      return emit finished({}, QStringLiteral("无法连接课堂服务（%1）").arg(reply->errorString()));
    if (envelope.value(QLatin1String("errorCode")).toInt() != 0)
      return emit finished({}, envelope.value(QLatin1String("errorInfo")).toString());
    next(envelope.value(QLatin1String("data")).toObject());
  });
}

void TeacherClasses::onClasses(const QJsonObject &data) {
  QList<TeacherClass> mine;
  for (const QJsonValue &v : data.value(QLatin1String("classes")).toArray()) {
    const QJsonObject c = v.toObject();
    if (c.value(QLatin1String("teacherId")).toString() != m_userId)
      continue;
    TeacherClass t;
    t.roomId = quint32(c.value(QLatin1String("roomId")).toDouble());
    t.courseName = c.value(QLatin1String("courseName")).toString();
    t.lessonName = c.value(QLatin1String("lessonName")).toString();
    t.lineType = c.value(QLatin1String("lineType")).toString();
    t.startTime = c.value(QLatin1String("startTime")).toString();
    t.endTime = c.value(QLatin1String("endTime")).toString();
    mine.append(t);
  }
  emit finished(mine, mine.isEmpty() ? QStringLiteral("这个账号没有要上的课") : QString());
}
