#include "teacher/scenario.h"

#include "teacher/commandnames.h"

namespace {
QString seconds(int ms) { return QString::number(ms / 1000.0) + QStringLiteral(" s"); }
QString whom(const QString &target) { return target.isEmpty() ? QStringLiteral("the class") : target; }
} // namespace

bool ScenarioStep::isWait() const {
  return kind == StepKind::WaitMember || kind == StepKind::WaitLeave || kind == StepKind::WaitCommand;
}

QString ScenarioStep::kindName(StepKind kind) {
  switch (kind) {
  case StepKind::Enter: return QStringLiteral("enter");
  case StepKind::Leave: return QStringLiteral("leave");
  case StepKind::Wait: return QStringLiteral("wait");
  case StepKind::WaitMember: return QStringLiteral("waitMember");
  case StepKind::WaitLeave: return QStringLiteral("waitLeave");
  case StepKind::WaitCommand: return QStringLiteral("waitCommand");
  case StepKind::Publish: return QStringLiteral("publish");
  case StepKind::Unpublish: return QStringLiteral("unpublish");
  case StepKind::Command: return QStringLiteral("command");
  case StepKind::Display: return QStringLiteral("display");
  case StepKind::Chat: return QStringLiteral("chat");
  case StepKind::Text: return QStringLiteral("text");
  case StepKind::Reward: return QStringLiteral("reward");
  case StepKind::Roster: return QStringLiteral("roster");
  case StepKind::Print: return QStringLiteral("print");
  case StepKind::Classmate: return QStringLiteral("classmate");
  case StepKind::BoardTool: return QStringLiteral("boardTool");
  case StepKind::BoardDraw: return QStringLiteral("boardDraw");
  case StepKind::BoardPage: return QStringLiteral("boardPage");
  case StepKind::BoardDocument: return QStringLiteral("boardDocument");
  case StepKind::BoardGoto: return QStringLiteral("boardGoto");
  case StepKind::BoardUndo: return QStringLiteral("boardUndo");
  case StepKind::BoardClear: return QStringLiteral("boardClear");
  }
  return QString();
}

QString ScenarioStep::summary() const {
  const QString as = capture.isEmpty() ? QString() : QStringLiteral(" as ${%1}").arg(capture);
  const QString upTo = QStringLiteral(", up to ") + seconds(timeoutMs);
  QString text = kindName(kind);
  switch (kind) {
  case StepKind::Enter:
    break;
  case StepKind::Leave:
    text += announce ? QStringLiteral(", telling the class") : QStringLiteral(" quietly");
    break;
  case StepKind::Wait:
    text += QLatin1Char(' ') + seconds(durationMs);
    break;
  case StepKind::WaitMember:
  case StepKind::WaitLeave:
    text += QLatin1Char(' ') + user + as + upTo;
    break;
  case StepKind::WaitCommand:
    text += QStringLiteral(" %1 from %2%3%4").arg(commandnames::labelled(code), user, as, upTo);
    break;
  case StepKind::Publish:
  case StepKind::Unpublish:
    text += QLatin1Char(' ') + hubproto::sourceName(source) + (fps > 0 ? QStringLiteral(" at %1 fps").arg(fps) : QString());
    break;
  case StepKind::Command:
    text += QStringLiteral(" %1 to %2").arg(commandnames::labelled(code), whom(target));
    break;
  case StepKind::Display:
  case StepKind::Print:
    text += QStringLiteral(" \"%1\"").arg(this->text);
    break;
  case StepKind::Chat:
    text += contents.isEmpty() ? QStringLiteral(" \"%1\"").arg(this->text) : QStringLiteral(" of %1 parts").arg(contents.size());
    break;
  case StepKind::Text:
    text += QStringLiteral(" to %1: \"%2\"").arg(whom(target), this->text);
    break;
  case StepKind::Reward:
    text += QStringLiteral(" %1 with %2, type %3").arg(target).arg(amount).arg(rewardType);
    break;
  case StepKind::BoardTool:
    text += QStringLiteral(" %1, colour %2, width %3%4")
                .arg(this->text, QString::number(color, 16).rightJustified(8, QLatin1Char('0')))
                .arg(width)
                .arg(fill ? QStringLiteral(", filled") : QString());
    break;
  case StepKind::BoardDraw:
    text += QStringLiteral(" through %1 points").arg(points.size());
    break;
  case StepKind::BoardDocument:
    text += QStringLiteral(" \"%1\" of %2 pages").arg(this->text).arg(pages);
    break;
  case StepKind::BoardGoto:
    text += QStringLiteral(" page %1").arg(page);
    break;
  case StepKind::BoardPage:
  case StepKind::BoardUndo:
  case StepKind::BoardClear:
    break;
  case StepKind::Roster:
    text += hasRosterData ? QStringLiteral(" of %1 given entries").arg(rosterData.size()) : QStringLiteral(" of the members seen");
    break;
  case StepKind::Classmate:
    text += QLatin1Char(' ') + (phone.isEmpty() ? user : phone) + QStringLiteral(" on stage with the test-pattern camera");
    break;
  }
  return optional ? text + QStringLiteral(" (optional)") : text;
}
