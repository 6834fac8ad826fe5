#pragma once
// The class commands' codes: the "userAction" of a command the teacher's client and the
// students' clients send each other (a custom IM element; the classroom, the teacher programs
// and the hub read and write it). A received code outside this list is ignored, so
// conversions from the wire keep the plain integer until they are compared.

#include <QByteArray>

class QJsonValue;

enum class ClassCommandCode : int {
  MemberEntered = 1,        // a member joined the room; parameter: the name (may be empty)
  TeacherLeaves = 2,        // the teacher ends the class
  MemberLeft = 4,           // a student left; parameter: the user id
  EveryoneOffStage = 6,     // the teacher takes everybody off stage
  CallOnStage = 2049,       // the teacher calls a student up
  TakeOffStage = 2050,      // the teacher takes one student down; parameter: the user id
  OnStage = 2051,           // a student is on stage; parameter: the user id
  LeftStage = 2053,         // a student left the stage; parameter: the user id
  HandRaised = 2054,        // to the teacher; parameter: the user id
  MicClosed = 2055,         // to the teacher: the speaking level is "0"
  Chat = 2056,              // a chat page message (JSON text)
  Display = 2057,           // "WhiteBoard" or "Screen"
  Joined = 2058,            // a student is seated
  ChatSwitch = 2059,        // "1" closes the discussion, "0" opens it
  JoinedNewVersion = 2060,  // to the teacher: "ignore_in_new_version"
  ChatSwitchAlt = 2061,     // as ChatSwitch
  Reward = 2101,            // JSON: type, amount, receiver, receiver_name, message, memo
  RewardAlt = 2102,         // as Reward
  CameraRequest = 2103,     // the teacher asks a student to open the camera
  CameraOpened = 2104,      // parameter: the user id
  CameraOff = 2105,         // the teacher closes a student's camera
  CameraClosed = 2106,      // parameter: the user id
  RosterNotice = 2109,      // JSON: notify_id and data
  ForbidAll = 2110,         // "1" / "0": the discussion for everybody
  ForbidYou = 2111,         // "1" / "0": the discussion for one student
  AskChatPermission = 2112, // to the teacher: answered with a snapshot
  ChatSnapshot = 2113,      // JSON: forbid_all and forbid_you as "1" / "0"
};

// The wire form of a code.
constexpr int toWire(ClassCommandCode code) { return static_cast<int>(code); }

// The codes only the room's teacher gives: the classroom obeys them from the teacher alone and
// the hub refuses them from anyone else. Everything else may come from any member.
constexpr ClassCommandCode kTeacherCommands[] = {
    ClassCommandCode::TeacherLeaves, ClassCommandCode::EveryoneOffStage, ClassCommandCode::CallOnStage,
    ClassCommandCode::TakeOffStage,  ClassCommandCode::Display,          ClassCommandCode::ChatSwitch,
    ClassCommandCode::ChatSwitchAlt, ClassCommandCode::Reward,           ClassCommandCode::RewardAlt,
    ClassCommandCode::CameraRequest, ClassCommandCode::CameraOff,        ClassCommandCode::RosterNotice,
    ClassCommandCode::ForbidAll,     ClassCommandCode::ForbidYou,        ClassCommandCode::ChatSnapshot,
};

constexpr bool isTeacherCommand(int userAction) {
  for (ClassCommandCode code : kTeacherCommands) {
    if (toWire(code) == userAction)
      return true;
  }
  return false;
}

// "userAction" as a command's JSON object carries it: a JSON integer or a numeric string;
// anything else (missing, fractional, out of range, not numeric) reads as 0, a code nobody
// acts on.
int userActionFromJson(const QJsonValue &v);
// The userAction of a custom element's data when it is a class command (a JSON object);
// false for anything else.
bool commandUserAction(const QByteArray &data, int *userAction);
