#pragma once
// The fault tests' class: the real tarnwick-local behind two relays (its HTTP port and its hub
// port), the program's deployment pointed at the relays, and the class's teacher in the room
// over a direct link of its own, able to send whatever a teacher's client could.

#include "loopbackproxy.h"
#include "protocol/classcommandcode.h"
#include "protocol/immessage.h"
#include "sdk/net/hubclient.h"
#include "support/localservice.h"
#include "teacher/teachercredentials.h"

#include <QJsonObject>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

namespace faults {

extern const quint32 kRoom;
extern const QString kTeacherId;
extern const QString kStudentPhone;
extern const QString kStudentPassword;
// A cut the class rides out, one longer than the tries, and how often a test's own links ping
// so that the hub does not take them for silent.
constexpr int kShortCutMs = 3000;
constexpr int kLongCutMs = 40000;
constexpr int kKeepAliveMs = 5000;

// The chat page message (command 2056) of one text line under that name.
QString chatPageMessage(const QString &name, const QString &text);

// The class sign-in of the room's teacher at the service, as the teacher's programs make it.
std::optional<TeacherCredentials> teacherSignIn(const QString &serviceUrl, quint32 roomId = kRoom);

// A custom element with exactly these bytes and this ext.
hubproto::Element customElement(const QByteArray &data, const QString &ext);

// A participant's hub client as a test drives it (the teacher's, or a bare student's): each
// call waits for the hub's answer and returns its code (-1: none in time).
class HubLink {
public:
  // Signs in through the service as the room's teacher and joins as "LiveMaster".
  bool enterAsTeacher(const QString &serviceUrl, const QString &hubUrl, quint32 roomId = kRoom);
  // Signs in through the service as a student of the room (the class sign-in a classroom does)
  // and joins hubUrl as "Guest".
  bool enterAsStudent(const LocalService &service, const QString &phone, const QString &password,
                      const QString &hubUrl, quint32 roomId = kRoom);
  // Signs in with the hub credentials and joins.
  bool enter(const QString &hubUrl, const QString &userSig, const QString &authBuffer,
             const QString &role, quint32 roomId = kRoom);
  int send(const hubproto::Conversation &conv, const QVector<hubproto::Element> &elems,
           const QString *offlinePushExt = nullptr);
  int sendGroup(const QVector<hubproto::Element> &elems, const QString *offlinePushExt = nullptr);
  // A custom element with exactly these bytes, tagged as a class command.
  int sendCommandData(const QByteArray &data, const QString &to = QString());
  int command(ClassCommandCode code, const QString &param, const QString &to = QString());
  int publishCamera();
  // Lets the student change to a stage role (as calling up or asking for the camera does).
  int grantStage(const QString &userId);
  // Subscribes to the user's camera; refused while the user does not publish it.
  int subscribeCamera(const QString &userId);
  void sendCameraFrame(quint32 stamp);
  // The ping's result members (empty without an answer).
  QJsonObject ping();
  void close();

  std::unique_ptr<sdk::HubClient> client;
  QString userId;
  QList<hubproto::ImMessage> received;

private:
  int call(const std::function<void(sdk::HubReplyFn)> &fn);
};

// What the sign-in page hands the shell.
struct SignedIn {
  int code = -1;
  QString token;
  QString configJson;
  QString avatar;
};

class FaultService {
public:
  FaultService();
  ~FaultService();
  // Starts the service and the relays, points the deployment and the live SDK at the relays.
  bool start();
  // Stops the service and starts it again (new ports, new secret); the relays follow.
  bool restart();
  // The student's sign-in through the program's backend helper and the HTTP relay.
  SignedIn signIn(const QString &phone = kStudentPhone,
                  const QString &password = kStudentPassword) const;
  // The service's address for programs that bypass the relays (the teacher).
  QString directUrl() const { return m_service->baseUrl(); }
  QString directHubUrl() const { return m_service->hubUrl(); }

  LocalService &service() { return *m_service; }
  LoopbackProxy &http() { return *m_http; }
  LoopbackProxy &hub() { return *m_hub; }

private:
  void pointProgramAtRelays();

  std::unique_ptr<LocalService> m_service;
  std::unique_ptr<LoopbackProxy> m_http;
  std::unique_ptr<LoopbackProxy> m_hub;
};

} // namespace faults
