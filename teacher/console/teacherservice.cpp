#include "teacher/console/teacherservice.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>

QString TeacherClass::title() const {
  return QStringLiteral("%1 · %2\n房间 %3　%4–%5").arg(courseName, lessonName).arg(roomId).arg(startTime, endTime);
}

TeacherService::TeacherService(QObject *parent) : QObject(parent) {
  m_net.setProxy(QNetworkProxy::NoProxy); // the class service runs on this machine
}

namespace {
constexpr int kTeacherRole = 1;
} // namespace

void TeacherService::fetch(const QString &serviceUrl, const QString &phone, const QString &password) {
  m_baseUrl = serviceUrl.endsWith(QLatin1Char('/')) ? serviceUrl.chopped(1) : serviceUrl;
  QUrlQuery form;
  form.addQueryItem(QStringLiteral("phone"), phone);
  form.addQueryItem(QStringLiteral("password"), password);
  auto failed = [this](const QString &error) { fail(error); };
  post(QStringLiteral("login/sign-in"), form, [this, failed](const QJsonObject &data) {
    m_userId = data.value(QLatin1String("userId")).toString();
    m_token = data.value(QLatin1String("token")).toString();
    post(QStringLiteral("quorvel/classes"), tokenForm(), [this](const QJsonObject &classes) { onClasses(classes); },
         failed);
  }, failed);
}

void TeacherService::enterRoom(const TeacherClass &room) {
  QUrlQuery more;
  more.addQueryItem(QStringLiteral("device"), QLatin1String(kDevicePrefix) + room.lineType);
  more.addQueryItem(QStringLiteral("clientLineType"), room.lineType);
  postInRoom(QStringLiteral("live-service/enter"), room.roomId, more);
}

void TeacherService::exitRoom(quint32 roomId) { postInRoom(QStringLiteral("live-service/exit"), roomId, {}); }

QUrlQuery TeacherService::tokenForm() const {
  QUrlQuery form;
  form.addQueryItem(QStringLiteral("token"), m_token);
  return form;
}

void TeacherService::listDocuments() {
  post(QStringLiteral("quorvel/documents"), tokenForm(), [this](const QJsonObject &data) {
    QList<LessonDocument> documents;
    for (const QJsonValue &v : data.value(QLatin1String("documents")).toArray()) {
      const QJsonObject o = v.toObject();
      documents.append({o.value(QLatin1String("file")).toString(), o.value(QLatin1String("title")).toString(),
                        o.value(QLatin1String("pages")).toInt()});
    }
    emit documentsListed(documents);
  }, [this](const QString &error) { emit roomCallFailed(QStringLiteral("quorvel/documents：") + error); });
}

void TeacherService::listRoomNames(quint32 roomId) {
  QUrlQuery form = tokenForm();
  form.addQueryItem(QStringLiteral("roomId"), QString::number(roomId));
  form.addQueryItem(QStringLiteral("is_addition"), QStringLiteral("0"));
  post(QStringLiteral("live-service/room_user"), form, [this](const QJsonObject &data) {
    QHash<QString, QString> names;
    for (const QJsonValue &v : data.value(QLatin1String("idlist")).toArray()) {
      const QJsonObject o = v.toObject();
      // An offline member's name carries the service's suffix; the roster shows presence itself.
      if (o.value(QLatin1String("offline")).toString() == QLatin1String("1"))
        continue;
      const QString uid = o.value(QLatin1String("uid")).toString();
      const QString name = o.value(QLatin1String("name")).toString();
      if (!uid.isEmpty() && !name.isEmpty())
        names.insert(uid, name);
    }
    emit roomNamesListed(names);
  }, [this](const QString &error) { emit roomCallFailed(QStringLiteral("live-service/room_user：") + error); });
}

void TeacherService::postInRoom(const QString &call, quint32 roomId, const QUrlQuery &more) {
  QUrlQuery form = more;
  form.addQueryItem(QStringLiteral("token"), m_token);
  form.addQueryItem(QStringLiteral("roomId"), QString::number(roomId));
  form.addQueryItem(QStringLiteral("role"), QString::number(kTeacherRole));
  post(call, form, [](const QJsonObject &) {},
       [this, call](const QString &error) { emit roomCallFailed(QStringLiteral("%1：%2").arg(call, error)); });
}

void TeacherService::post(const QString &call, const QUrlQuery &form, Next next, Failed failed) {
  QNetworkRequest request(QUrl(m_baseUrl + QLatin1Char('/') + call));
  request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
  request.setTransferTimeout(kTimeoutMs);
  QNetworkReply *reply = m_net.post(request, form.toString(QUrl::FullyEncoded).toUtf8());
  connect(reply, &QNetworkReply::finished, this, [reply, next, failed] {
    reply->deleteLater();
    const QJsonObject envelope = QJsonDocument::fromJson(reply->readAll()).object();
    if (!envelope.value(QLatin1String("errorCode")).isDouble())
      return failed(QStringLiteral("无法连接课堂服务（%1）").arg(reply->errorString()));
    if (envelope.value(QLatin1String("errorCode")).toInt() != 0)
      return failed(envelope.value(QLatin1String("errorInfo")).toString());
    next(envelope.value(QLatin1String("data")).toObject());
  });
}

void TeacherService::onClasses(const QJsonObject &data) {
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
