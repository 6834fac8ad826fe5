#pragma once
// Who and where the student is, for the whiteboard: application id and account type of the live
// SDK, the room, the user id and the user signature. One record per process, created on first
// use; the classroom writes it as the session learns each value. Any thread.

#include <QMutex>
#include <QString>
#include <cstdint>

class ClassCredentials {
public:
  static ClassCredentials &instance();

  void setApplication(uint32_t appId, uint32_t accountType);
  void setRoomId(int roomId);
  void setUserId(const QString &userId);
  void setUserSig(const QString &userSig);

  uint32_t appId() const;
  uint32_t accountType() const;
  int roomId() const;
  QString userId() const;
  QString userSig() const;

private:
  ClassCredentials() = default;
  ClassCredentials(const ClassCredentials &) = delete;
  ClassCredentials &operator=(const ClassCredentials &) = delete;

  mutable QMutex mutex_;
  uint32_t appId_ = 0;
  uint32_t accountType_ = 0;
  int roomId_ = 0;
  QString userId_;
  QString userSig_;
};
