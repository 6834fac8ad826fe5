#pragma once
// Who the scripted teacher is on the hub: user id, user signature (made by the service, or
// here with the service's secret), display name and the room grant (authBuffer).

#include "sdk/live/mediaroute.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>

struct TeacherCredentials {
  static constexpr qint64 kLocalLifetimeS = 24 * 3600;

  QString userId;
  QString userSig;
  QString name;
  QString authBuffer;
  QString hubUrl; // where the service says its hub is; empty when it did not say
  QString imToken; // the IM server's token when the service runs IM on an XMPP server
  // The seat in Janus when the service runs media on Janus: address, token, room, first feed.
  QString janusUrl;
  QString janusToken;
  quint64 janusRoom = 0;
  quint64 janusFeed = 0;

  // Media on the hub when the deployment names no Janus (empty address), else on Janus at this
  // seat (the sign-in's address before the deployment's).
  ilivesdk::MediaRoute mediaRoute(const QString &deploymentAddress) const;

  // Signs userId and its grant for roomId with role with the service's secret, good for
  // kLocalLifetimeS.
  static TeacherCredentials signedLocally(const QByteArray &secret, const QString &userId, const QString &name,
                                          quint32 roomId, const QString &role);
};

Q_DECLARE_METATYPE(TeacherCredentials)
