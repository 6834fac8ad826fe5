#include "classroom/classcommands.h"

#include "messaging/classcommand.h"

QString ClassCommands::stripPrefix(const QString &param) {
  return param.startsWith(QLatin1String("@@")) ? param.mid(2) : param;
}

bool ClassCommands::dispatchText(const QString &sender, const QString &text, uint32_t time) {
  ClassCommand command;
  if (!ClassCommand::parse(text, &command))
    return false;
  dispatch(sender, command.userAction, command.actionParam, time);
  return true;
}

void ClassCommands::memberEntered(const QString &sender, const QString &name) {
  if (name.isEmpty())
    target_->queueWelcome(sender);
  else
    target_->welcomeMember(name);
}

void ClassCommands::chatCommand(ClassCommandCode code, const QString &param) {
  ChatPermission::Action action = ChatPermission::Unchanged;
  switch (code) {
  case ClassCommandCode::ChatSwitch:
  case ClassCommandCode::ChatSwitchAlt:
    action = chat_.onChatSwitch(param);
    break;
  case ClassCommandCode::ForbidAll:
    action = chat_.onForbidAll(param);
    break;
  case ClassCommandCode::ForbidYou:
    action = chat_.onForbidYou(param);
    break;
  case ClassCommandCode::ChatSnapshot:
    action = chat_.onSnapshot(param);
    break;
  default:
    break;
  }
  if (action != ChatPermission::Unchanged)
    target_->applyChatPermission(action);
}

void ClassCommands::dispatch(const QString &sender, int userAction, const QString &actionParam,
                             uint32_t time) {
  // A classmate's copy of the teacher's code is no command at all.
  if (isTeacherCommand(userAction) && !fromTeacher(sender))
    return;
  const QString param = stripPrefix(actionParam);
  // Codes nobody acts on fall through to the default.
  const auto code = static_cast<ClassCommandCode>(userAction);
  switch (code) {
  case ClassCommandCode::MemberEntered:
    memberEntered(sender, param);
    break;
  case ClassCommandCode::TeacherLeaves:
    if (target_->sessionStatus() != ClassStatus::SignedIn)
      target_->teacherLeft();
    break;
  case ClassCommandCode::EveryoneOffStage:
    target_->goOffStage();
    break;
  case ClassCommandCode::CallOnStage:
    target_->goOnStage();
    break;
  case ClassCommandCode::TakeOffStage:
    if (target_->sessionStatus() == ClassStatus::OnStage && param == target_->userId())
      target_->goOffStage();
    break;
  case ClassCommandCode::OnStage:
    target_->markMemberStage(sender, true);
    break;
  case ClassCommandCode::LeftStage:
    target_->markMemberStage(sender, false);
    break;
  case ClassCommandCode::Chat:
    target_->receiveChatCommand(sender, param, time);
    break;
  case ClassCommandCode::Display:
    target_->displayCommand(param);
    break;
  case ClassCommandCode::ChatSwitch:
  case ClassCommandCode::ChatSwitchAlt:
  case ClassCommandCode::ForbidAll:
  case ClassCommandCode::ForbidYou:
  case ClassCommandCode::ChatSnapshot:
    chatCommand(code, param);
    break;
  case ClassCommandCode::Reward:
  case ClassCommandCode::RewardAlt:
    target_->reward(param);
    break;
  case ClassCommandCode::CameraRequest:
    target_->cameraRequested();
    break;
  case ClassCommandCode::CameraOff:
    target_->cameraClosedByTeacher();
    break;
  case ClassCommandCode::RosterNotice:
    target_->rosterNotice(param);
    break;
  default:
    break;
  }
}
