#include "classfixture.h"

#include "classroom/livecalls.h"
#include "classroom/memberroster.h"
#include "core/deployment.h"
#include "core/processwindows.h"
#include "messaging/messagehook.h"
#include "messaging/messagesink.h"
#include "support/ejabberdengine.h"
#include "support/inprocesstransport.h"
#include "support/janusengine.h"
#include "support/localservice.h"
#include "support/seedaccounts.h"
#include "support/testenv.h"
#include "sdk/live/ilive.h"
#include "service/hub/hub.h"
#include "protocol/roomgrant.h"
#include "protocol/usersig.h"
#include "widgets/qtmessagebox.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QMutexLocker>
#include <QTest>
#include <QTimer>

namespace classtest {

const QByteArray kSecret("classroom-test-secret");
const quint32 kRoom = 52001;
const QString kStudentId = QStringLiteral("stu_1001");
const QString kStudentName = QStringLiteral("李小明");
const QString kTeacherId = QStringLiteral("tch_9001");
const QString kOtherStudentId = QStringLiteral("stu_1002");
const QString kToken = QStringLiteral("tok-5f3a");

namespace {

const char *const kPaths[] = {
    "live-service/bgp_login", "live-service/teacher_in_room", "live-service/enter",
    "live-service/heartbeat", "live-service/exit", "live-service/room_user",
    "live-service/one_room_user", "chat-service/cos_multi_effect_signature2"};

QJsonObject member(const QString &uid, const QString &name, const QString &role, int sort) {
  return {{"uid", uid}, {"name", name}, {"role", role}, {"device", "PC2.0_510208_normal"},
          {"full_device", "PC2.0_510208_normal linux"}, {"offline", "0"}, {"sort", sort}};
}

} // namespace

// ---------------------------------------------------------------------------------------------

void WatchingMember::sendText(const QByteArray &json) {
  const QJsonObject o = QJsonDocument::fromJson(json).object();
  const QString type = o.value(QStringLiteral("type")).toString();
  if (type == QLatin1String("member") || type == QLatin1String("stream") ||
      type == QLatin1String("kicked")) {
    QMutexLocker lock(&noticeMutex_);
    notices_.append(o);
  }
  HubTeacher::sendText(json);
}

QList<QJsonObject> WatchingMember::notices() const {
  QMutexLocker lock(&noticeMutex_);
  return notices_;
}

QList<ClassCommand> WatchingMember::commands() const {
  QList<ClassCommand> out;
  for (const hubproto::ImMessage &m : messages()) {
    for (const hubproto::Element &e : m.elems) {
      ClassCommand c;
      if (e.kind == hubproto::Element::Custom && ClassCommand::parse(e.data, &c))
        out.append(c);
    }
  }
  return out;
}

QList<ClassCommand> WatchingMember::commands(ClassCommandCode code) const {
  QList<ClassCommand> out;
  for (const ClassCommand &c : commands())
    if (c.userAction == toWire(code))
      out.append(c);
  return out;
}

int WatchingMember::lastRequestCode(int timeoutMs) const {
  const qint64 id = lastRequestId();
  int code = -1;
  if (!QTest::qWaitFor([&] { return replied(id, &code); }, timeoutMs))
    return -1;
  return code;
}

void WatchingMember::sendCommand(ClassCommandCode code, const QString &param) {
  sendGroup(QString::number(kRoom),
            {custom(ClassCommand::toJson(toWire(code), param), QString::fromLatin1(ClassCommand::kExt))});
}

void WatchingMember::sendCommandTo(const QString &userId, ClassCommandCode code, const QString &param) {
  sendC2C(userId,
          {custom(ClassCommand::toJson(toWire(code), param), QString::fromLatin1(ClassCommand::kExt))});
}

// ---------------------------------------------------------------------------------------------

FakeBackend::FakeBackend() {
  Deployment d = Deployment::instance();
  d.backendUrl = server_.baseUrl();
  Deployment::setInstance(d);
  const QString sig = usersig::issueFor(kSecret, kStudentId, 3600);
  answer(QStringLiteral("live-service/bgp_login"),
         ok({{"userId", kStudentId}, {"userSig", sig}, {"name", kStudentName},
             {"authBuffer", roomgrant::issueFor(kSecret, kStudentId, kRoom, QStringLiteral("Guest"), 3600)}}));
  answer(QStringLiteral("live-service/teacher_in_room"), ok({{"result", "true"}}));
  answer(QStringLiteral("live-service/room_user"),
         ok({{"idlist", QJsonArray{member(kTeacherId, QStringLiteral("王老师"), "1", 1),
                                   member(kStudentId, kStudentName, "0", 2)}}}));
  answer(QStringLiteral("live-service/one_room_user"), ok({{"idlist", QJsonArray{}}}));
  answer(QStringLiteral("chat-service/cos_multi_effect_signature2"),
         ok({{"signature", "upload-signature"},
             {"expired", QDateTime::currentSecsSinceEpoch() + 3600}}));
  for (const char *path : kPaths) {
    const QString p = QString::fromLatin1(path);
    server_.route(QLatin1Char('/') + p, [this, p](const testsupport::HttpRequest &) {
      QMutexLocker lock(&mutex_);
      const QList<Reply> &list = replies_[p];
      const int i = qMin(served_.value(p, 0), list.size() - 1);
      served_[p] = served_.value(p, 0) + 1;
      const Reply r = i >= 0 ? list.at(i) : Reply();
      const QJsonObject body{{"errorCode", r.errorCode}, {"errorInfo", r.errorInfo}, {"data", r.data}};
      testsupport::HttpReply out;
      out.body = QJsonDocument(body).toJson(QJsonDocument::Compact);
      out.delayMs = r.delayMs;
      return out;
    });
  }
}

FakeBackend::~FakeBackend() = default;

void FakeBackend::answer(const QString &path, const QList<Reply> &replies) {
  QMutexLocker lock(&mutex_);
  replies_[path] = replies;
  served_[path] = 0;
}

QList<testsupport::HttpRequest> FakeBackend::calls(const QString &path) const {
  QList<testsupport::HttpRequest> out;
  for (const testsupport::HttpRequest &r : const_cast<testsupport::HttpServer &>(server_).requests())
    if (r.path == QLatin1Char('/') + path)
      out.append(r);
  return out;
}

bool FakeBackend::waitFor(const QString &path, int n, int timeoutMs) const {
  return QTest::qWaitFor([&] { return count(path) >= n; }, timeoutMs);
}

FakeBackend::Reply FakeBackend::ok(const QJsonObject &data, int delayMs) {
  Reply r;
  r.data = data;
  r.delayMs = delayMs;
  return r;
}

FakeBackend::Reply FakeBackend::error(int code, const QString &info) {
  Reply r;
  r.errorCode = code;
  r.errorInfo = info;
  return r;
}

// ---------------------------------------------------------------------------------------------

FakeShell::FakeShell() { setShellWindow(this); }

FakeShell::~FakeShell() {
  if (shellWindow() == this)
    setShellWindow(nullptr);
}

// Like the real shell: a class that is already leaving stays; otherwise the window is hidden
// and closed (the window decides whether the close goes through).
int FakeShell::leaveClass(bool ask) {
  calls << QStringLiteral("leaveClass(%1)").arg(ask ? "true" : "false");
  if (!classroom && session) {
    if (session->isLeaving())
      return -1;
    session->closeRequested();
    return 0;
  }
  if (!classroom)
    return 0;
  if (classroom->isLeaving())
    return -1;
  classroom->hide();
  classroom->close();
  return 0;
}

void FakeShell::setMyName(const QString &name) {
  calls << QStringLiteral("setMyName(%1)").arg(name);
  if (onSetMyName)
    onSetMyName();
}
void FakeShell::loadSetting() { calls << QStringLiteral("loadSetting"); }
void FakeShell::setNetGood() { calls << QStringLiteral("setNetGood"); }
void FakeShell::setNetBad() { calls << QStringLiteral("setNetBad"); }

// ---------------------------------------------------------------------------------------------

BoxWatch::BoxWatch(bool yes) : yes_(yes), timer_(new QTimer) {
  timer_->setInterval(20);
  QObject::connect(timer_, &QTimer::timeout, [this] { poll(); });
  timer_->start();
}

BoxWatch::~BoxWatch() { delete timer_; }

void BoxWatch::poll() {
  for (QWidget *w : QApplication::topLevelWidgets()) {
    auto *box = qobject_cast<QtMessageBox *>(w);
    if (!box || !box->isVisible() || box->kind() != QtMessageBox::Question)
      continue;
    questions_ << box->title() + QLatin1Char('|') + box->message();
    if (yes_)
      box->onOkClicked();
    else
      box->onCancelClicked();
  }
}

QStringList BoxWatch::information() {
  QStringList out;
  for (QWidget *w : QApplication::topLevelWidgets()) {
    auto *box = qobject_cast<QtMessageBox *>(w);
    if (box && box->isVisible() && box->kind() == QtMessageBox::Information)
      out << box->title() + QLatin1Char('|') + box->message();
  }
  return out;
}

int BoxWatch::informationCount(const QString &containing) {
  int n = 0;
  for (const QString &s : information())
    if (s.contains(containing))
      ++n;
  return n;
}

void BoxWatch::closeInformation() {
  for (QWidget *w : QApplication::topLevelWidgets()) {
    auto *box = qobject_cast<QtMessageBox *>(w);
    if (box && box->kind() == QtMessageBox::Information)
      box->close();
  }
}

std::unique_ptr<LocalService> startClassOnJanus(JanusEngine &janus) {
  if (!janus.start()) {
    qWarning("Janus did not start: %s", qPrintable(janus.errorString()));
    return nullptr;
  }
  std::unique_ptr<LocalService> service = janus.makeService();
  if (!service->start()) {
    qWarning("tarnwick-local did not start: %s", qPrintable(service->errorString()));
    return nullptr;
  }
  Deployment d = Deployment::instance();
  d.backendUrl = service->baseUrl();
  d.hubUrl = service->hubUrl();
  d.staticUrl = service->baseUrl() + QStringLiteral("/static");
  d.media = QStringLiteral("janus");
  d.janusUrl = janus.wsUrl();
  Deployment::setInstance(d);
  GetILive()->setHubAddress(d.hubUrl.toUtf8().constData());
  GetILive()->setMediaAddress(d.mediaAddress().toUtf8().constData());
  if (GetILive()->init(uint32_t(d.sdkAppId), uint32_t(d.sdkAccountType), true) != 0) {
    qWarning("the live SDK did not start");
    service->stop();
    return nullptr;
  }
  return service;
}

std::unique_ptr<LocalService> startClassOnEjabberd(const EjabberdEngine &engine, const QString &imAddress) {
  QString why;
  std::unique_ptr<LocalService> service = engine.startService(&why);
  if (!service) {
    qWarning("tarnwick-local did not start: %s", qPrintable(why));
    return nullptr;
  }
  Deployment d = Deployment::instance();
  d.backendUrl = service->baseUrl();
  d.hubUrl = service->hubUrl();
  Deployment::setInstance(d);
  GetILive()->setHubAddress(d.hubUrl.toUtf8().constData());
  GetILive()->setImAddress(imAddress.toUtf8().constData());
  if (GetILive()->init(uint32_t(d.sdkAppId), uint32_t(d.sdkAccountType), true) != 0) {
    qWarning("the live SDK did not start");
    service->stop();
    return nullptr;
  }
  return service;
}

void useTestDevices(FakeShell &shell) {
  ilive::Vector<ilive::Pair<ilive::String, ilive::String>> list;
  GetILive()->getCameraList(list);
  shell.settings.insert(QStringLiteral("camera_index"), int(list.size()) - 1);
  shell.settings.insert(QStringLiteral("disable_camera"), 0);
  list.clear();
  GetILive()->getMicList(list);
  for (size_t i = 0; i < list.size(); ++i)
    if (QString::fromUtf8(list[i].first.c_str()).contains(QLatin1String("tarnwick_source")))
      shell.settings.insert(QStringLiteral("mic"), int(i));
}

// ---------------------------------------------------------------------------------------------

ClassWorld::ClassWorld() : hub(std::make_unique<Hub>(kSecret)) {
  sdk::useInProcessHub(hub.get());
  const Deployment &d = Deployment::instance();
  GetILive()->init(uint32_t(d.sdkAppId), uint32_t(d.sdkAccountType), true);
  teacher = std::make_unique<WatchingMember>(hub.get(), kTeacherId);
  teacher->login(usersig::issueFor(kSecret, kTeacherId, 3600));
  teacher->lastRequestOk();
  teacher->join(kRoom, QStringLiteral("LiveMaster"),
                roomgrant::issueFor(kSecret, kTeacherId, kRoom, QStringLiteral("LiveMaster"), 3600));
  teacher->lastRequestOk();

  ilive::Vector<ilive::Pair<ilive::String, ilive::String>> list;
  GetILive()->getCameraList(list);
  testPatternCamera = int(list.size()) - 1;
  list.clear();
  GetILive()->getMicList(list);
  for (size_t i = 0; i < list.size(); ++i)
    if (QString::fromUtf8(list[i].first.c_str()).contains(QLatin1String("tarnwick_source")))
      microphone = int(i);
  shell.settings = {{"mic", microphone},          {"mic_vol", 80},
                    {"speaker", 0},               {"speaker_vol", 60},
                    {"camera_index", testPatternCamera}, {"disable_camera", 0},
                    {"hide_up", 0}};
}

ClassWorld::~ClassWorld() {
  destroyWindow();
  destroySession();
  GetILive()->release(nullptr, nullptr, nullptr);
  other.reset();
  teacher.reset();
  hub.reset();
  BoxWatch::closeInformation();
  QTest::qWait(20);
}

// What the shell hands over, and the sign-out answers counted.
template <class Room> void ClassWorld::prepare(Room *room) {
  room->setToken(kToken);
  room->setRoomId(int(kRoom));
  room->setMasterId(kTeacherId);
  auto count = [this] { ++logoutAnswers; };
  QObject::connect(room->liveCalls(), &LiveCalls::logoutSucceeded, room, count);
  QObject::connect(room->liveCalls(), &LiveCalls::logoutFailed, room, count);
}

bool ClassWorld::seated(const std::function<bool()> &inRoom) const {
  return QTest::qWaitFor(inRoom, 5000) &&
         QTest::qWaitFor([this] { return !teacher->commands(ClassCommandCode::AskChatPermission).isEmpty(); }, 5000);
}

MainForm *ClassWorld::open(const QString &lineType, QWidget *parent) {
  auto *form = new MainForm(lineType, parent, &shell);
  prepare(form);
  form->show();
  window = form;
  shell.classroom = form;
  return form;
}

bool ClassWorld::enterWithRoster() {
  return enter() && QTest::qWaitFor([this] { return window && window->roster()->rowCount() == 2; }, 5000);
}

std::unique_ptr<QProcess> startScriptedTeacher(const QString &dir, const char *scenario, const QString &serviceUrl,
                                               const QProcessEnvironment &env) {
  QFile file(dir + QStringLiteral("/class.json"));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    return nullptr;
  file.write(scenario);
  file.close();
  auto teacher = std::make_unique<QProcess>();
  teacher->setProcessChannelMode(QProcess::MergedChannels);
  QProcessEnvironment all = QProcessEnvironment::systemEnvironment();
  all.insert(env);
  teacher->setProcessEnvironment(all);
  teacher->start(testenv::binDir() + "/tarnwick-teacher", {"--scenario", file.fileName(), "--service", serviceUrl, "--phone",
                                                           seed::kTeacherPhone, "--password", seed::kTeacherPassword});
  return teacher->waitForStarted(5000) ? std::move(teacher) : nullptr;
}

MainForm *openLocalClass(FakeShell &shell, const QString &token, int roomId, const QString &masterId) {
  shell.settings = {{"mic", 0}, {"mic_vol", 80}, {"speaker", 0}, {"speaker_vol", 60},
                    {"camera_index", 0}, {"disable_camera", 1}, {"hide_up", 0}};
  auto *w = new MainForm(QStringLiteral("normal"), nullptr, &shell);
  shell.classroom = w;
  w->setToken(token);
  w->setRoomId(roomId);
  w->setMasterId(masterId);
  w->show();
  w->onBtnLogin();
  return w;
}

bool ClassWorld::enter() {
  if (!window)
    open();
  window->onBtnLogin();
  return seated([this] { return window && window->status() == 2; });
}

void ClassWorld::destroyWindow() {
  // The SDK must not be released while the window's sign-out is still under way.
  if (window && window->isClosed())
    if (!QTest::qWaitFor([this] { return logoutAnswers > 0; }, 3000))
      qWarning("the classroom's sign-out was not answered");
  delete window.data();
}

void MemoryView::OnReceiveMessage(QString sender, std::vector<LiveMessage> *msgs) {
  std::unique_ptr<LiveMessageList> owned = MessageSink::take(msgs);
  if (session)
    session->receiveMessages(sender, std::move(owned));
}

ClassSession *ClassWorld::openSession(const QString &lineType) {
  auto *s = new ClassSession(lineType, &shell, nullptr);
  s->attach(&view, &view);
  prepare(s);
  view.session = s;
  QObject::connect(&view, &MemoryView::receiveMessage, &view, &MemoryView::OnReceiveMessage,
                   Qt::UniqueConnection);
  MessageHook::install(&view);
  // The window closes again once the room is left; here the session is asked directly.
  QObject::connect(s, &ClassSession::closeWanted, s, [s] { s->closeRequested(); });
  s->start();
  session = s;
  shell.session = s;
  return s;
}

bool ClassWorld::enterSession() {
  if (!session)
    openSession();
  session->login();
  return seated([this] { return session && session->classStatus() == ClassStatus::Listening; });
}

bool ClassWorld::waitSessionStatus(ClassStatus status, int timeoutMs) const {
  return QTest::qWaitFor([&] { return session && session->classStatus() == status; }, timeoutMs);
}

void ClassWorld::destroySession() {
  if (!session)
    return;
  if (session->isClosed())
    if (!QTest::qWaitFor([this] { return logoutAnswers > 0; }, 3000))
      qWarning("the session's sign-out was not answered");
  MessageHook::uninstall();
  MessageSink::dropPending(&view);
  view.session = nullptr;
  delete session.data();
}

void ClassWorld::dropHub() {
  teacher.reset();
  other.reset();
  hub.reset();
}

void ClassWorld::teacherSays(ClassCommandCode code, const QString &param, bool group) {
  // As the teacher's programs do: the stage is granted before the student is called up.
  if (code == ClassCommandCode::CallOnStage || code == ClassCommandCode::CameraRequest) {
    teacher->grantStage(kStudentId);
    (void)QTest::qWaitFor([this] { return teacher->replied(teacher->lastRequestId()); }, 5000);
  }
  if (group)
    teacher->sendCommand(code, param);
  else
    teacher->sendCommandTo(kStudentId, code, param);
}

WatchingMember *ClassWorld::otherStudent() {
  if (!other) {
    other = std::make_unique<WatchingMember>(hub.get(), kOtherStudentId);
    other->login(usersig::issueFor(kSecret, kOtherStudentId, 3600));
    other->lastRequestOk();
    other->join(kRoom, QStringLiteral("Guest"),
                roomgrant::issueFor(kSecret, kOtherStudentId, kRoom, QStringLiteral("Guest"), 3600));
    other->lastRequestOk();
  }
  return other.get();
}

bool ClassWorld::waitStatus(int status, int timeoutMs) const {
  return QTest::qWaitFor([&] { return window && window->status() == status; }, timeoutMs);
}

} // namespace classtest
