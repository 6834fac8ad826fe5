#include "teacher/console/consoleroster.h"

#include "protocol/classcommandcode.h"

const StudentState *ConsoleRoster::find(const QString &userId) const {
  for (const StudentState &s : m_students)
    if (s.userId == userId)
      return &s;
  return nullptr;
}

QString ConsoleRoster::nameOf(const QString &userId) const {
  const StudentState *s = find(userId);
  return s ? s->shownName() : userId;
}

StudentState &ConsoleRoster::row(const QString &userId) {
  for (StudentState &s : m_students)
    if (s.userId == userId)
      return s;
  StudentState s;
  s.userId = userId;
  m_students.append(s);
  return m_students.last();
}

void ConsoleRoster::clear() {
  m_students.clear();
  emit changed();
}

void ConsoleRoster::entered(const QString &userId) {
  row(userId).inClass = true;
  emit changed();
}

void ConsoleRoster::left(const QString &userId) {
  StudentState &s = row(userId);
  const bool muted = s.chatMuted; // the teacher's own setting outlives a reconnection
  s = StudentState{userId, s.name, false, false, false, false, false, muted};
  emit changed();
}

void ConsoleRoster::setChatMuted(const QString &userId, bool muted) {
  row(userId).chatMuted = muted;
  emit changed();
}

void ConsoleRoster::setHandRaised(const QString &userId, bool raised) {
  row(userId).handRaised = raised;
  emit changed();
}

void ConsoleRoster::setNames(const QHash<QString, QString> &namesByUserId) {
  bool any = false;
  for (StudentState &s : m_students) {
    const QString name = namesByUserId.value(s.userId);
    if (name.isEmpty() || name == s.name)
      continue;
    s.name = name;
    any = true;
  }
  if (any)
    emit changed();
}

namespace {
bool reportsOwnState(ClassCommandCode code) {
  using C = ClassCommandCode;
  for (C known : {C::MemberEntered, C::OnStage, C::LeftStage, C::MicClosed, C::CameraOpened, C::CameraClosed,
                  C::HandRaised})
    if (code == known)
      return true;
  return false;
}
} // namespace

void ConsoleRoster::commandReceived(const ReceivedCommand &c) {
  const auto code = static_cast<ClassCommandCode>(c.code);
  if (!reportsOwnState(code))
    return;
  // What a student says about itself: the sender is the student.
  StudentState &s = row(c.from);
  switch (code) {
  case ClassCommandCode::MemberEntered:
    if (!c.param.isEmpty())
      s.name = c.param;
    s.inClass = true;
    break;
  case ClassCommandCode::OnStage:
    s.onStage = s.microphone = true;
    s.handRaised = false;
    break;
  case ClassCommandCode::LeftStage:
    s.onStage = s.microphone = false;
    break;
  case ClassCommandCode::MicClosed:
    s.microphone = false;
    break;
  case ClassCommandCode::CameraOpened:
    s.camera = true;
    break;
  case ClassCommandCode::CameraClosed:
    s.camera = false;
    break;
  case ClassCommandCode::HandRaised:
    s.handRaised = true;
    emit changed();
    emit handRaised(c.from);
    return;
  default:
    return;
  }
  emit changed();
}
