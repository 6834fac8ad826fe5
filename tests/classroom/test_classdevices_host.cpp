#include "test_classdevices_host.h"

#include "messaging/hubteacher.h"

#include "classroom/toolbarcontrols.h"
#include "widgets/tips.h"
#include "classroom_widgets/qtlivetoolbar.h"
#include "support/inprocesstransport.h"
#include "service/hub/hub.h"
#include "protocol/roomgrant.h"
#include "protocol/usersig.h"
#include "widgets/qtmessagebox.h"

#include <QApplication>
#include <QPointer>
#include <QTest>

namespace {

const QByteArray kSecret("classdevices-test-secret");
const quint32 kRoom = 5507;

struct Answer {
  bool done = false;
  int code = 0;
};
void onSucc(void *data) { static_cast<Answer *>(data)->done = true; }
void onErr(const char *, int code, const char *, void *data) {
  auto *a = static_cast<Answer *>(data);
  a->done = true;
  a->code = code;
}

// Runs one SDK call and waits for its answer; the code, or -1 when none came.
int sdkCall(const std::function<void(Answer *)> &call) {
  Answer a;
  call(&a);
  if (!QTest::qWaitFor([&] { return a.done; }, 5000)) return -1;
  return a.code;
}

bool teacherOk(HubTeacher *teacher) {
  const qint64 id = teacher->lastRequestId();
  int code = -1;
  return QTest::qWaitFor([&] { return teacher->replied(id, &code); }, 5000) && code == 0;
}

} // namespace

const QString DeviceClass::kStudent = QStringLiteral("学生_设备");
const QString DeviceClass::kTeacher = QStringLiteral("老师_设备");

void FakeHost::reloadSettings() {
  ++reloads;
  settings = stored;
}

void FakeHost::showTip(const QString &title, const QString &text) { showTips(title, text, &window); }

DeviceClass::DeviceClass()
    : toolBar(std::make_unique<QtLiveToolBar>()), controls(std::make_unique<ToolBarControls>(toolBar.get())) {
  host.uid = kStudent;
  host.master = kTeacher;
  devices = std::make_unique<ClassDevices>(&host, controls.get(), &delayTimer, nullptr);
  QObject::connect(&delayTimer, &QTimer::timeout, devices.get(), &ClassDevices::runPendingOperations);
}

DeviceClass::~DeviceClass() {
  closeTips();
  // The SDK's release must not meet a close still running on its media thread.
  const int mark = deviceOps.size();
  GetILive()->closeCamera();
  GetILive()->closeMic();
  GetILive()->closeSpeaker();
  (void)QTest::qWaitFor([&] { return deviceOps.indexOf(qMakePair(int(ilive::DEVICE_OP_CLOSE_SPEAKER), 0), mark) >= 0; }, 10000);
  if (hub_) {
    sdkCall([](Answer *a) { GetILive()->quitRoom(&onSucc, &onErr, a); });
    sdkCall([](Answer *a) { GetILive()->logout(&onSucc, &onErr, a); });
  }
  GetILive()->setDeviceOperationCallback(nullptr, nullptr);
  GetILive()->release(nullptr, nullptr, nullptr);
  teacher_.reset();
  hub_.reset();
  sdk::setHubTransportFactory({});
}

bool DeviceClass::start(QString *why) {
  hub_ = std::make_unique<Hub>(kSecret);
  sdk::useInProcessHub(hub_.get());
  if (GetILive()->init(1400000001, 1, true) != 0) {
    *why = QStringLiteral("live SDK init failed");
    return false;
  }
  GetILive()->setDeviceOperationCallback(&DeviceClass::onDeviceOp, this);

  teacher_ = std::make_unique<HubTeacher>(hub_.get(), kTeacher);
  teacher_->login(usersig::issueFor(kSecret, kTeacher, 3600));
  if (!teacherOk(teacher_.get())) {
    *why = QStringLiteral("teacher sign-in failed");
    return false;
  }
  teacher_->join(kRoom, QStringLiteral("LiveMaster"),
                 roomgrant::issueFor(kSecret, kTeacher, kRoom, QStringLiteral("LiveMaster"), 3600));
  if (!teacherOk(teacher_.get())) {
    *why = QStringLiteral("teacher join failed");
    return false;
  }

  const QByteArray sig = usersig::issueFor(kSecret, kStudent, 3600).toUtf8();
  const QByteArray id = kStudent.toUtf8();
  int code = sdkCall([&](Answer *a) { GetILive()->login(id.constData(), sig.constData(), &onSucc, &onErr, a); });
  if (code != 0) {
    *why = QStringLiteral("student sign-in: %1").arg(code);
    return false;
  }
  ilive::RoomOption option;
  option.roomId = kRoom;
  const QByteArray grant = roomgrant::issueFor(kSecret, kStudent, kRoom, QStringLiteral("Guest"), 3600).toUtf8();
  option.authBuffer = ilive::String(grant.constData(), size_t(grant.size()));
  code = sdkCall([&](Answer *a) { GetILive()->joinRoom(option, &onSucc, &onErr, a); });
  if (code != 0) {
    *why = QStringLiteral("student join: %1").arg(code);
    return false;
  }
  return true;
}

void DeviceClass::onDeviceOp(ilive::DeviceOperation op, int32_t result, void *data) {
  auto *self = static_cast<DeviceClass *>(data);
  self->deviceOps.append(qMakePair(int(op), int(result)));
  self->devices->onDeviceOperation(int(op), int(result));
}

QList<ClassCommand> DeviceClass::teacherCommands(bool oneToOne) const {
  QList<ClassCommand> out;
  if (!teacher_) return out;
  const hubproto::Conversation::Type wanted = oneToOne ? hubproto::Conversation::C2C : hubproto::Conversation::Group;
  const QList<hubproto::ImMessage> messages = teacher_->messages();
  for (const hubproto::ImMessage &m : messages) {
    if (m.conv.type != wanted || m.from != kStudent) continue;
    for (const hubproto::Element &e : m.elems) {
      ClassCommand cmd;
      if (e.kind == hubproto::Element::Custom && e.ext == QLatin1String(ClassCommand::kExt) &&
          ClassCommand::parse(e.data, &cmd))
        out.append(cmd);
    }
  }
  return out;
}

int DeviceClass::teacherCount(bool oneToOne, ClassCommandCode code, const QString &param) const {
  int n = 0;
  const QList<ClassCommand> commands = teacherCommands(oneToOne);
  for (const ClassCommand &c : commands)
    if (c.userAction == toWire(code) && c.actionParam == param) ++n;
  return n;
}

QList<QtMessageBox *> DeviceClass::tips(const QString &text) {
  QList<QtMessageBox *> out;
  const QWidgetList windows = QApplication::topLevelWidgets();
  for (QWidget *w : windows) {
    auto *box = qobject_cast<QtMessageBox *>(w);
    if (box && box->message() == text) out.append(box);
  }
  return out;
}

void DeviceClass::closeTips() {
  // A box takes its own windows (its shadow) with it: hold on to the boxes only.
  QList<QPointer<QtMessageBox>> boxes;
  const QWidgetList windows = QApplication::topLevelWidgets();
  for (QWidget *w : windows)
    if (auto *box = qobject_cast<QtMessageBox *>(w)) boxes.append(box);
  for (const QPointer<QtMessageBox> &box : boxes) delete box.data();
}
