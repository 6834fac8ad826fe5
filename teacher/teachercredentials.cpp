#include "teacher/teachercredentials.h"

#include "protocol/roomgrant.h"
#include "protocol/usersig.h"

TeacherCredentials TeacherCredentials::signedLocally(const QByteArray &secret, const QString &userId,
                                                     const QString &name, quint32 roomId,
                                                     const QString &role) {
  TeacherCredentials c;
  c.userId = userId;
  c.userSig = usersig::issueFor(secret, userId, kLocalLifetimeS);
  c.name = name;
  c.authBuffer = roomgrant::issueFor(secret, userId, roomId, role, kLocalLifetimeS);
  return c;
}

ilivesdk::MediaRoute TeacherCredentials::mediaRoute(const QString &deploymentAddress) const {
  if (deploymentAddress.isEmpty())
    return ilivesdk::MediaRoute();
  return {janusUrl.isEmpty() ? deploymentAddress : janusUrl, janusToken, janusRoom, janusFeed};
}
