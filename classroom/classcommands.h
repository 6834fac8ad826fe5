#pragma once
// The teacher's (and the other members') class commands as the classroom receives them:
// dispatch by userAction to the classroom's reactions. The teacher's codes (kTeacherCommands)
// are obeyed only from the room's teacher, the masterId the class knows from the backend, which
// is also the member the hub lets give them; unknown codes are ignored.

#include "classroom/chatpermission.h"
#include "classroom/classstatus.h"
#include "protocol/classcommandcode.h"

#include <QString>
#include <cstdint>

class ClassCommandTarget {
public:
  virtual ~ClassCommandTarget() = default;
  virtual QString userId() const = 0;
  virtual QString masterId() const = 0;
  virtual ClassStatus sessionStatus() const = 0;

  virtual void welcomeMember(const QString &name) = 0;           // 1 with a name
  virtual void queueWelcome(const QString &senderId) = 0;        // 1 without one
  virtual void teacherLeft() = 0;                                // 2
  virtual void goOnStage() = 0;                                  // 2049
  virtual void goOffStage() = 0;                                 // 6, 2050
  virtual void markMemberStage(const QString &uid, bool onStage) = 0; // 2051, 2053
  // 2056: the sender's line, named by the roster, never by the parameter.
  virtual void receiveChatCommand(const QString &sender, const QString &param, uint32_t time) = 0;
  virtual void displayCommand(const QString &display) = 0;       // 2057
  virtual void applyChatPermission(ChatPermission::Action action) = 0;
  virtual void reward(const QString &json) = 0;                  // 2101, 2102
  virtual void cameraRequested() = 0;                            // 2103
  virtual void cameraClosedByTeacher() = 0;                      // 2105
  virtual void rosterNotice(const QString &json) = 0;            // 2109
};

class ClassCommands {
public:
  explicit ClassCommands(ClassCommandTarget *target) : target_(target) {}

  // One received command. A parameter beginning with "@@" loses those two characters first.
  void dispatch(const QString &sender, int userAction, const QString &actionParam, uint32_t time);

  // Chat text and faces, or a command: true when the received text is a class command
  // (a JSON object), which is then dispatched.
  bool dispatchText(const QString &sender, const QString &text, uint32_t time);

  static QString stripPrefix(const QString &param);

  const ChatPermission &chat() const { return chat_; }

private:
  // Without a known teacher nobody is one.
  bool fromTeacher(const QString &sender) const {
    return !sender.isEmpty() && sender == target_->masterId();
  }
  void memberEntered(const QString &sender, const QString &name);
  void chatCommand(ClassCommandCode code, const QString &param);

  ClassCommandTarget *target_;
  ChatPermission chat_;
};
