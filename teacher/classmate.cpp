#include "teacher/classmate.h"

#include "core/deployment.h"
#include "teacher/streampublisher.h"

namespace {
QString refused(const char *what, int code, const QString &desc) {
  return QStringLiteral("%1: the hub answered %2 %3").arg(QLatin1String(what)).arg(code).arg(desc);
}
} // namespace

Classmate::Classmate(sdk::HubTransportFactory transports, QObject *parent)
    : QObject(parent), m_session(std::move(transports)) {
  m_session.setRole(QLatin1String(hubproto::kRoleGuest));
}

void Classmate::join(const TeacherCredentials &credentials, quint32 roomId, int fps, Grant grant, Ready ready) {
  m_session.setMediaRoute(credentials.mediaRoute(Deployment::instance().mediaAddress()));
  m_session.signIn(credentials.userId, credentials.userSig,
                   [this, roomId, authBuffer = credentials.authBuffer, fps, grant, ready](int code, const QString &desc) {
                     if (code != 0)
                       return ready(refused("signing in", code, desc));
                     m_session.enter(roomId, authBuffer,
                                     [this, fps, grant, ready](int c, const QString &d, const QStringList &) {
                                       if (c != 0)
                                         return ready(refused("entering the room", c, d));
                                       grant(m_session.userId(), [this, fps, ready](int g, const QString &gd) {
                                         if (g != 0)
                                           return ready(refused("granting the stage", g, gd));
                                         goOnStage(fps, ready);
                                       });
                                     });
                   });
}

void Classmate::goOnStage(int fps, Ready ready) {
  m_session.changeRole(QLatin1String(TeacherSession::kStageRole), [this, fps, ready](int code, const QString &desc) {
    if (code != 0)
      return ready(refused("going on stage", code, desc));
    publishCamera(fps, ready);
  });
}

void Classmate::publishCamera(int fps, Ready ready) {
  m_session.publish(hubproto::Source::Camera, [this, fps, ready](int code, const QString &desc) {
    if (code != 0)
      return ready(refused("publishing the camera", code, desc));
    m_camera = StreamPublisher::camera(&m_session, fps, this);
    m_camera->start();
    ready(QString());
  });
}
