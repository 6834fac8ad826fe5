#pragma once
// The classes a teacher account teaches, from the class service: sign in with phone and
// password ("login" "sign-in" → token and user id), then the portal's class list ("quorvel"
// "classes"), keeping the classes whose teacher is that user.

#include <QList>
#include <QNetworkAccessManager>
#include <QObject>

#include <functional>

class QJsonObject;

struct TeacherClass {
  quint32 roomId = 0;
  QString courseName;
  QString lessonName;
  QString lineType;
  QString startTime;
  QString endTime;

  QString title() const;
};

class TeacherClasses : public QObject {
  Q_OBJECT
public:
  static constexpr int kTimeoutMs = 15000;
  explicit TeacherClasses(QObject *parent = nullptr);

  void fetch(const QString &serviceUrl, const QString &phone, const QString &password);

signals:
  // error is empty on success; a teacher without classes gets an empty list and an error.
  void finished(const QList<TeacherClass> &classes, const QString &error);

private:
  using Next = std::function<void(const QJsonObject &data)>;
  void post(const QString &call, const QByteArray &form, Next next);
  void onClasses(const QJsonObject &data);

  QNetworkAccessManager m_net;
  QString m_baseUrl;
  QString m_userId;
};
