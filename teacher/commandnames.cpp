#include "teacher/commandnames.h"

#include "protocol/classcommandcode.h"

#include <QHash>

namespace commandnames {

QString of(int code) {
  static const QHash<int, QString> names = {
      {toWire(ClassCommandCode::MemberEntered), QStringLiteral("entered")},
      {toWire(ClassCommandCode::TeacherLeaves), QStringLiteral("teacher leaves")},
      {toWire(ClassCommandCode::MemberLeft), QStringLiteral("left the class")},
      {toWire(ClassCommandCode::EveryoneOffStage), QStringLiteral("everyone off stage")},
      {toWire(ClassCommandCode::CallOnStage), QStringLiteral("call on stage")},
      {toWire(ClassCommandCode::TakeOffStage), QStringLiteral("take off stage")},
      {toWire(ClassCommandCode::OnStage), QStringLiteral("is on stage")},
      {toWire(ClassCommandCode::LeftStage), QStringLiteral("left the stage")},
      {toWire(ClassCommandCode::HandRaised), QStringLiteral("raises a hand")},
      {toWire(ClassCommandCode::MicClosed), QStringLiteral("microphone closed")},
      {toWire(ClassCommandCode::Chat), QStringLiteral("chat")},
      {toWire(ClassCommandCode::Display), QStringLiteral("display")},
      {toWire(ClassCommandCode::Joined), QStringLiteral("joined")},
      {toWire(ClassCommandCode::ChatSwitch), QStringLiteral("chat permission")},
      {toWire(ClassCommandCode::JoinedNewVersion), QStringLiteral("joined, new version")},
      {toWire(ClassCommandCode::ChatSwitchAlt), QStringLiteral("chat permission")},
      {toWire(ClassCommandCode::Reward), QStringLiteral("reward")},
      {toWire(ClassCommandCode::RewardAlt), QStringLiteral("reward")},
      {toWire(ClassCommandCode::CameraRequest), QStringLiteral("camera request")},
      {toWire(ClassCommandCode::CameraOpened), QStringLiteral("camera opened")},
      {toWire(ClassCommandCode::CameraOff), QStringLiteral("camera off")},
      {toWire(ClassCommandCode::CameraClosed), QStringLiteral("camera closed")},
      {toWire(ClassCommandCode::RosterNotice), QStringLiteral("roster notice")},
      {toWire(ClassCommandCode::ForbidAll), QStringLiteral("chat permission for all")},
      {toWire(ClassCommandCode::ForbidYou), QStringLiteral("chat permission for one")},
      {toWire(ClassCommandCode::AskChatPermission), QStringLiteral("asks for chat permission")},
      {toWire(ClassCommandCode::ChatSnapshot), QStringLiteral("chat permission snapshot")},
  };
  return names.value(code);
}

QString labelled(int code) {
  const QString name = of(code);
  return name.isEmpty() ? QString::number(code) : QStringLiteral("%1 (%2)").arg(code).arg(name);
}

} // namespace commandnames
