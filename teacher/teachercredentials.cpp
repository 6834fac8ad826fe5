#include "teacher/teachercredentials.h"

#include "protocol/usersig.h"

TeacherCredentials TeacherCredentials::signedLocally(const QByteArray &secret, const QString &userId,
                                                     const QString &name) {
  TeacherCredentials c;
  c.userId = userId;
  c.userSig = usersig::issueFor(secret, userId, kLocalLifetimeS);
  c.name = name;
  return c;
}
