#include "teacher/console/consolewindow.h"

#include "core/deployment.h"
#include "core/storagepicture.h"
#include "teacher/console/classpage.h"
#include "teacher/console/consoleclass.h"
#include "teacher/console/signinpage.h"

#include <QCloseEvent>
#include <QStackedWidget>
#include <QTimer>

ConsoleSetup ConsoleSetup::fromDeployment() {
  const Deployment &d = Deployment::instance();
  ConsoleSetup s;
  s.serviceUrl = d.backendUrl;
  s.chatPageUrl = storagepicture::chatPageAddress(d.staticUrl + QStringLiteral("/live/chat_v5.html"), d.storageUrl);
  s.previewUrl = d.previewUrl;
  return s;
}

ConsoleWindow::ConsoleWindow(ConsoleSetup setup, QWidget *parent) : QMainWindow(parent), m_setup(std::move(setup)) {
  setObjectName(QStringLiteral("teacherConsole"));
  setWindowTitle(QStringLiteral("Tarnwick 教师控制台"));
  resize(kWidth, kHeight);
  m_pages = new QStackedWidget(this);
  m_signIn = new SignInPage(m_setup.serviceUrl, m_pages);
  m_pages->addWidget(m_signIn);
  setCentralWidget(m_pages);
  connect(m_signIn, &SignInPage::enterRequested, this, &ConsoleWindow::enter);
  connect(&m_serviceSignIn, &ServiceSignIn::finished, this, &ConsoleWindow::onCredentials);
}

ConsoleWindow::~ConsoleWindow() {
  delete m_classPage; // its media and board go before the class they send through
}

void ConsoleWindow::closeEvent(QCloseEvent *event) {
  if (!m_class || !m_classPage || m_closing)
    return QMainWindow::closeEvent(event);
  event->ignore();
  m_closing = true;
  connect(this, &ConsoleWindow::classEnded, this, &QWidget::close);
  QTimer::singleShot(kEndTimeoutMs, this, &QWidget::close); // a hub that does not answer
  m_class->endClass();
}

ClassPage *ConsoleWindow::classPage() const { return m_classPage; }
ConsoleClass *ConsoleWindow::consoleClass() const { return m_class; }

void ConsoleWindow::enter(const TeacherClass &chosen) {
  m_chosen = chosen;
  m_serviceSignIn.start(m_signIn->serviceUrl(), m_signIn->phone(), m_signIn->password(), chosen.roomId);
}

void ConsoleWindow::onCredentials(const TeacherCredentials &credentials, const QString &error) {
  if (!error.isEmpty())
    return backToSignIn(error, true);
  QString hubUrl = m_setup.hubUrl.isEmpty() ? credentials.hubUrl : m_setup.hubUrl;
  if (hubUrl.isEmpty())
    hubUrl = Deployment::instance().hubUrl;
  sdk::HubTransportFactory transports = m_setup.transports ? m_setup.transports(hubUrl)
                                                           : [hubUrl] { return sdk::createHubTransport(hubUrl); };
  m_class = new ConsoleClass(std::move(transports), this);
  connect(m_class, &ConsoleClass::entered, this, &ConsoleWindow::onEntered);
  connect(m_class, &ConsoleClass::problem, this, &ConsoleWindow::onProblemBeforeEntering);
  connect(m_class, &ConsoleClass::ended, this, [this] {
    m_signIn->service()->exitRoom(m_chosen.roomId);
    backToSignIn(QStringLiteral("已下课。"), false);
  });
  m_class->start(credentials, m_chosen.roomId);
}

void ConsoleWindow::onEntered() {
  disconnect(m_class, &ConsoleClass::problem, this, &ConsoleWindow::onProblemBeforeEntering);
  connect(&m_class->session(), &TeacherSession::lost, this, [this](const QString &why) {
    backToSignIn(QStringLiteral("与课堂的连接断开了：") + why, true);
  });
  m_classPage = new ClassPage(m_class, m_chosen.title().replace(QLatin1Char('\n'), QStringLiteral("　")), m_setup.chatPageUrl, m_setup.previewUrl, m_pages);
  connect(m_signIn->service(), &TeacherService::roomCallFailed, m_classPage, &ClassPage::showProblem);
  connect(m_signIn->service(), &TeacherService::documentsListed, m_classPage, &ClassPage::setDocuments);
  m_signIn->service()->enterRoom(m_chosen);
  m_signIn->service()->listDocuments();
  followRoomNames();
  m_pages->addWidget(m_classPage);
  m_pages->setCurrentWidget(m_classPage);
  setWindowTitle(QStringLiteral("%1 — Tarnwick 教师控制台").arg(m_chosen.courseName));
  emit classEntered();
}

// Names come from the service when someone enters and then every few seconds; the timer
// and the connections go with the class page and the class.
void ConsoleWindow::followRoomNames() {
  TeacherService *service = m_signIn->service();
  connect(service, &TeacherService::roomNamesListed, m_class, [this](const QHash<QString, QString> &names) {
    m_class->roster().setNames(names);
  });
  const quint32 roomId = m_chosen.roomId;
  auto listNames = [service, roomId] { service->listRoomNames(roomId); };
  auto *refresh = new QTimer(m_classPage);
  connect(refresh, &QTimer::timeout, m_classPage, listNames);
  refresh->start(kNameRefreshMs);
  connect(&m_class->session(), &TeacherSession::memberEntered, m_classPage, listNames);
  listNames();
}

void ConsoleWindow::onProblemBeforeEntering(const QString &what) { backToSignIn(what, true); }

void ConsoleWindow::backToSignIn(const QString &status, bool isError) {
  m_pages->setCurrentWidget(m_signIn);
  setWindowTitle(QStringLiteral("Tarnwick 教师控制台"));
  if (m_classPage)
    m_classPage->deleteLater();
  if (m_class)
    m_class->deleteLater();
  m_signIn->setBusy(false);
  m_signIn->setStatus(status, isError);
  emit classEnded();
}
