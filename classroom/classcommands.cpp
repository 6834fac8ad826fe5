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

void ClassCommands::chatCommand(int userAction, const QString &param) {
  ChatPermission::Action action = ChatPermission::Unchanged;
  switch (userAction) {
  case 2059:
  case 2061:
    action = chat_.onChatSwitch(param);
    break;
  case 2110:
    action = chat_.onForbidAll(param);
    break;
  case 2111:
    action = chat_.onForbidYou(param);
    break;
  case 2113:
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
  const QString param = stripPrefix(actionParam);
  switch (userAction) {
  case 1:
    memberEntered(sender, param);
    break;
  case 2:
    if (target_->sessionStatus() != ClassStatus::SignedIn)
      target_->teacherLeft();
    break;
  case 6:
    target_->goOffStage();
    break;
  case 2049:
    if (fromTeacher(sender))
      target_->goOnStage();
    break;
  case 2050:
    if (target_->sessionStatus() == ClassStatus::OnStage && param == target_->userId())
      target_->goOffStage();
    break;
  case 2051:
    target_->markMemberStage(sender, true);
    break;
  case 2053:
    target_->markMemberStage(sender, false);
    break;
  case 2056:
    target_->receiveChatCommand(param, time);
    break;
  case 2057:
    target_->displayCommand(param);
    break;
  case 2059:
  case 2061:
  case 2110:
  case 2111:
  case 2113:
    chatCommand(userAction, param);
    break;
  case 2101:
  case 2102:
    target_->reward(param);
    break;
  case 2103:
    if (fromTeacher(sender))
      target_->cameraRequested();
    break;
  case 2105:
    if (fromTeacher(sender))
      target_->cameraClosedByTeacher();
    break;
  case 2109:
    target_->rosterNotice(param);
    break;
  default:
    break;
  }
}
