#include "fakeclassroom.h"

#include "shell/classroomlink.h"

#include <QCloseEvent>
#include <QPointer>

namespace {
QList<QPointer<FakeClassroom>> &registry() {
  static QList<QPointer<FakeClassroom>> r;
  return r;
}
} // namespace

FakeClassroom::FakeClassroom(const QString &type, QWidget *parent) : QWidget(parent), lineType(type) {
  registry() << this;
}

FakeClassroom::~FakeClassroom() = default;

QList<FakeClassroom *> FakeClassroom::made() {
  QList<FakeClassroom *> out;
  for (const QPointer<FakeClassroom> &p : registry()) out << p.data();
  return out;
}

void FakeClassroom::resetMade() { registry().clear(); }

void FakeClassroom::install() {
  ClassroomLink::setFactory(
      [](const QString &lineType, QWidget *frame, ClassroomShell *) -> Classroom * {
        return new FakeClassroom(lineType, frame);
      });
}

void FakeClassroom::closeEvent(QCloseEvent *event) {
  closeRequested = true;
  QWidget::closeEvent(event);
}

void FakeClassroom::record(const char *name, int a, int b) {
  deviceCalls << QStringLiteral("%1(%2,%3)").arg(QLatin1String(name)).arg(a).arg(b);
}
