// The portal shell with the real browser engine against a real tarnwick-local: signing in
// through the sign-in page, the portal's check-token address, page commands through the
// bridge, the class guards and the line-type question, downloads and the bridge itself.
// One process and one signed-in shell serve every case, in the order below.

#include "av/audiohelper.h"
#include "boxdriver.h"
#include "fakeclassroom.h"
#include "originserver.h"
#include "scratchenv.h"

#include "core/browsersettings.h"
#include "core/deployment.h"
#include "shell/browserwindow.h"
#include "shell/downloadhandler.h"
#include "shell/qtlogin.h"
#include "shell/titlebar.h"
#include "shell/webview.h"
#include "pagescript.h"
#include "widgets/popshadow.h"
#include "widgets/qtreloadbutton.h"
#include "support/localservice.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QMutex>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineHistory>
#include <memory>
#include <QWebEngineProfile>

namespace {

// Every log line of the process, so that a test can see what the program logged.
QMutex g_logMutex;
QStringList g_log;
QtMessageHandler g_previousHandler = nullptr;

void captureLog(QtMsgType type, const QMessageLogContext &context, const QString &message) {
  {
    QMutexLocker lock(&g_logMutex);
    g_log << message;
  }
  if (g_previousHandler) g_previousHandler(type, context, message);
}

QStringList logSince(int mark) {
  QMutexLocker lock(&g_logMutex);
  return g_log.mid(mark);
}

int logMark() {
  QMutexLocker lock(&g_logMutex);
  return g_log.size();
}

bool waitForScript(QWebEngineView *view, const QString &script, const QVariant &expected, int ms = 15000) {
  return QTest::qWaitFor([&] { return js(view, script) == expected; }, ms);
}

QString command(const QString &json) {
  return QStringLiteral("tarnwick.invoke('enterRoom', %1)").arg(json);
}

// Optional pictures of the windows for a person to look at (TARNWICK_SHOTS=<folder>).
void shoot(const QString &name) {
  const QString dir = qEnvironmentVariable("TARNWICK_SHOTS");
  if (dir.isEmpty()) return;
  QTest::qWait(600);
  QGuiApplication::primaryScreen()->grabWindow(0).save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

const QString kPhone = QStringLiteral("13800000001");
const QString kPassword = QStringLiteral("tarnwick01");

} // namespace

class TestShellPortal : public QObject {
  Q_OBJECT
  std::unique_ptr<LocalService> service;
  QPointer<QtLogin> login;
  QPointer<BrowserWindow> shell;
  QTemporaryDir downloads;

  WebView *portal() const { return shell ? shell->browserView() : nullptr; }

  // Drives the save dialog the download handler opens: accept with `target`, or cancel.
  void answerSaveDialog(const QString &target, QString *proposed) {
    auto *timer = new QTimer(this);
    auto seen = std::make_shared<bool>(false);
    connect(timer, &QTimer::timeout, this, [=] {
      auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
      if (!dialog || !dialog->isVisible()) return;
      if (!*seen) {
        *seen = true;
        if (proposed) *proposed = dialog->selectedFiles().value(0);
      }
      if (target.isEmpty()) {
        timer->stop();
        timer->deleteLater();
        dialog->reject();
        return;
      }
      // The dialog settles its initial selection lazily; answer once ours has stuck.
      const QFileInfo wanted(target);
      auto *nameEdit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
      const bool settled = nameEdit && nameEdit->text() == wanted.fileName() &&
                           QFileInfo(dialog->directory().absolutePath()) == QFileInfo(wanted.absolutePath());
      if (!settled) {
        dialog->setDirectory(wanted.absolutePath());
        if (nameEdit) nameEdit->setText(wanted.fileName());
        return;
      }
      timer->stop();
      timer->deleteLater();
      QMetaObject::invokeMethod(dialog, "accept");
    });
    timer->start(100);
  }

  // Leaves the open fake class and lets it finish its release, as the real one does.
  void leaveAndRelease() {
    FakeClassroom *room = qobject_cast<FakeClassroom *>(shell->classroom());
    QVERIFY(room);
    QCOMPARE(shell->leaveClass(true), 0);
    room->finishRelease();
  }

  // The guard against re-entering at once counts whole seconds since the last leave.
  void waitOutRecentLeave() { QTest::qWait(2100); }

private slots:
  void initTestCase() {
    g_previousHandler = qInstallMessageHandler(captureLog);
    service = std::make_unique<LocalService>();
    QVERIFY2(service->start(), qPrintable(service->errorString()));
    Deployment d = Deployment::instance();
    d.portalUrl = service->baseUrl();
    d.backendUrl = service->baseUrl();
    Deployment::setInstance(d);
    FakeClassroom::install();

    // Credentials stored by an earlier run of the program.
    BrowserWindow earlier;
    QString phone, password;
    earlier.loadPassword(phone, password);
    earlier.storePassword(kPhone, QStringLiteral("stale-password"));
  }

  void cleanup() { BoxDriver::closeInformation(); }

  void storedCredentialsFillTheSignInPage() {
    login = new QtLogin;
    login->show();
    QVERIFY(BrowserWindow::instance());
    shell = BrowserWindow::instance();
    QVERIFY(!shell->isVisible());
    QVERIFY(!login->webContainer()->isVisible());
    // The page asks for the stored credentials once it is ready; that shows it.
    QTRY_VERIFY_WITH_TIMEOUT(login->webContainer()->isVisible(), 20000);
    const qreal scale = QtLogin::scaleFactor(QGuiApplication::primaryScreen()->logicalDotsPerInch());
    QCOMPARE(login->size(), QSize(qRound(370 * scale), qRound(450 * scale)));
    QCOMPARE(QWebEngineProfile::defaultProfile()->cachePath(), browserCachePath());
    QVERIFY(browserCachePath().startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
    QVERIFY(login->styleSheet().startsWith(QStringLiteral("background-color: #")));
    QVERIFY(waitForScript(login->webView(), QStringLiteral("document.getElementById('phone').value"), kPhone));
    QCOMPARE(js(login->webView(), QStringLiteral("document.getElementById('password').value")).toString(),
             QStringLiteral("stale-password"));
    shoot(QStringLiteral("signin"));
  }

  // The sign-in page reaches the same bridge as the portal; entering a class from it, before
  // the shell has its body, is refused and leaves the live SDK alone.
  void enterRoomBeforeSignInIsRefused() {
    const int mark = logMark();
    js(login->webView(), command(QStringLiteral("'{\"action\":1,\"data\":{\"roomId\":\"123\"}}'")));
    QTRY_VERIFY_WITH_TIMEOUT(logSince(mark).contains(QStringLiteral("enterClass refused: the shell is not signed in")),
                             5000);
    QVERIFY(FakeClassroom::made().isEmpty());
    QVERIFY(!shell->classroom());
    QVERIFY(!shell->sdkInitialised());
    QVERIFY(shell->lineType().isEmpty());
  }

  // Below 144 DPI the window keeps its 370 x 450; from there on it grows with the DPI.
  void scaleFollowsTheScreensDpi() {
    QCOMPARE(QtLogin::scaleFactor(96), 1.0);
    QCOMPARE(QtLogin::scaleFactor(120), 1.0);
    QCOMPARE(QtLogin::scaleFactor(143), 1.0);
    QCOMPARE(QtLogin::scaleFactor(144), 1.5);
    QCOMPARE(QtLogin::scaleFactor(192), 2.0);
  }

  // With the switch on, start-up points the engine's remote debugging at 127.0.0.1:21188.
  void remoteDebuggingAnswersOnItsPort() {
    QNetworkAccessManager net;
    QScopedPointer<QNetworkReply> reply(net.get(QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:21188/json/version")))));
    QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 10000);
    QCOMPARE(reply->error(), QNetworkReply::NoError);
    QVERIFY(QJsonDocument::fromJson(reply->readAll()).object().contains(QStringLiteral("Browser")));
  }

  void wrongPasswordShowsThePagesError() {
    js(login->webView(), QStringLiteral("document.getElementById('submit').click()"));
    QVERIFY(waitForScript(login->webView(), QStringLiteral("document.getElementById('error').textContent"),
                          QStringLiteral("密码错误，请重新输入")));
    QVERIFY(login && login->isVisible());
    QVERIFY(!shell->isVisible());
  }

  void signingInOpensThePortalAtTheCheckTokenAddress() {
    js(login->webView(), QStringLiteral("document.getElementById('password').value = '%1';"
                                        "document.getElementById('submit').click()").arg(kPassword));
    QTRY_VERIFY_WITH_TIMEOUT(shell->isVisible(), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(login.isNull(), 5000);
    QVERIFY(!shell->token().isEmpty());
    QCOMPARE(shell->phone(), kPhone);
    QCOMPARE(shell->windowTitle(), QStringLiteral("Tarnwick-3.7.5.510208"));
    const QString ver = shell->config().value(QStringLiteral("ver")).toString();
    QVERIFY(!ver.isEmpty());
    const QString expected = service->baseUrl() + QStringLiteral("/check-token?phone=") + kPhone +
                             QStringLiteral("&token=") + shell->token() +
                             QStringLiteral("&socketPort=0&useCefChannel=true&useWebReplay=true&ver=") + ver +
                             QStringLiteral("&build=1011");
    QTRY_COMPARE_WITH_TIMEOUT(portal()->url().toString(QUrl::FullyDecoded), expected, 10000);
    // The portal page itself accepted the token (a bad one shows the error page).
    QVERIFY(waitForScript(portal(), QStringLiteral("typeof window.tarnwick === 'object' && document.readyState"),
                          QStringLiteral("complete")));
    QVERIFY(!js(portal(), QStringLiteral("document.title")).toString().contains(QStringLiteral("失效")));
    // The page stored what was typed.
    QString phone, password;
    shell->loadPassword(phone, password);
    QCOMPARE(phone, kPhone);
    QCOMPARE(password, kPassword);
    QCOMPARE(shell->titleBar()->mode(), int(TitleBar::PortalMode));
    shoot(QStringLiteral("portal"));
  }

  // The course tab opens the configured page with the build number; while it loads the
  // refresh button turns.
  void tabsNavigateWhileTheRefreshButtonTurns() {
    auto *refresh = shell->titleBar()->findChild<QtReloadButton *>(QStringLiteral("btnRefresh"));
    auto *course = shell->titleBar()->findChild<QPushButton *>(QStringLiteral("btnCourse"));
    QVERIFY(refresh && course);
    QTRY_VERIFY_WITH_TIMEOUT(!refresh->isAnimating(), 5000);
    QSignalSpy loaded(portal(), &QWebEngineView::loadFinished);
    course->click();
    QTRY_VERIFY_WITH_TIMEOUT(refresh->isAnimating(), 5000);
    QVERIFY(loaded.wait(15000));
    QTRY_VERIFY_WITH_TIMEOUT(!refresh->isAnimating(), 3000);
    const QUrl url = portal()->url();
    QCOMPARE(url.path(), QStringLiteral("/portal/course"));
    QVERIFY2(url.query().endsWith(QStringLiteral("&build=1011")), qPrintable(url.toString()));
    // Back becomes possible within a second.
    auto *back = shell->titleBar()->findChild<QPushButton *>(QStringLiteral("btnBack"));
    QTRY_VERIFY_WITH_TIMEOUT(back->isEnabled(), 2500);
  }

  // The classroom sits below the shell and reaches these only through the seam it declares.
  void classroomReachesTheShellThroughItsSeam() {
    ClassroomShell *seam = shell;
    seam->loadSetting(); // makes the audio helper
    AudioHelper *helper = seam->audioHelper();
    QCOMPARE(helper, shell->audioHelper());
    QVERIFY(helper);
    auto *net = shell->titleBar()->findChild<QLabel *>(QStringLiteral("labelNetStatus"));
    QVERIFY(net);
    seam->setNetBad();
    QCOMPARE(net->toolTip(), QStringLiteral("网络糟糕"));
    seam->setNetGood();
    QCOMPARE(net->toolTip(), QStringLiteral("网络良好"));
  }

  void windowButtonsFollowTheWindowState() {
    auto *max = shell->titleBar()->findChild<QtImageButton *>(QStringLiteral("btnMax"));
    QVERIFY(max);
    QTRY_VERIFY_WITH_TIMEOUT(shell->shadow()->isVisible(), 3000);
    max->click();
    QTRY_VERIFY_WITH_TIMEOUT(shell->isMaximized(), 3000);
    QCOMPARE(max->imageName(), QStringLiteral("restore"));
    QCOMPARE(max->toolTip(), QStringLiteral("还原"));
    QVERIFY(!shell->shadow()->isVisible());
    max->click();
    QTRY_VERIFY_WITH_TIMEOUT(!shell->isMaximized(), 3000);
    QCOMPARE(max->imageName(), QStringLiteral("max"));
    QCOMPARE(max->toolTip(), QStringLiteral("最大化"));
    QTRY_VERIFY_WITH_TIMEOUT(shell->shadow()->isVisible(), 3000);
  }

  void enterRoomReachesTheClassroom() {
    js(portal(), command(QStringLiteral("'{\"action\":1,\"data\":{\"roomId\":\"123\"}}'")));
    QTRY_COMPARE_WITH_TIMEOUT(FakeClassroom::made().size(), 1, 5000);
    FakeClassroom *room = FakeClassroom::made().at(0);
    QCOMPARE(room->roomId, 123);
    QCOMPARE(room->lineType, QStringLiteral("normal"));
    QVERIFY(room->token.isEmpty());
    QVERIFY(room->masterId.isEmpty());
    QCOMPARE(room->loginCalls, 1);
    QCOMPARE(shell->classroom(), room);
    QCOMPARE(shell->lineType(), QStringLiteral("normal"));
    QVERIFY(shell->sdkInitialised());
    QVERIFY(!portal()->isVisible());
    QCOMPARE(shell->titleBar()->mode(), int(TitleBar::ClassMode));
    QVERIFY(shell->titleBar()->findChild<QWidget *>(QStringLiteral("widgetLiveTitle"))->isVisible());
    QVERIFY(!shell->titleBar()->findChild<QWidget *>(QStringLiteral("widgetCenter"))->isVisible());
    QCOMPARE(shell->titleBar()->findChild<QWidget *>(QStringLiteral("labelNetStatus"))->toolTip(),
             QStringLiteral("网络良好"));
    leaveAndRelease();
    QVERIFY(portal()->isVisible());
    QCOMPARE(shell->titleBar()->mode(), int(TitleBar::PortalMode));
    QVERIFY(room->closeRequested);
  }

  void reenteringAtOnceIsRefused() {
    js(portal(), QStringLiteral("tarnwick.invoke('replay', '{\"action\":1,\"data\":{\"roomId\":\"123\"}}')"));
    QTRY_VERIFY_WITH_TIMEOUT(BoxDriver::openInformation().contains(
                                 QStringLiteral("进入教室|系统正在进行一些清理以提高运行速度，请稍后再进入教室")),
                             5000);
    QCOMPARE(FakeClassroom::made().size(), 1);
  }

  void replayReachesTheClassroomLikeEnterRoom() {
    waitOutRecentLeave();
    js(portal(), QStringLiteral("tarnwick.invoke('replay', '{\"action\":1,\"data\":{\"roomId\":\"123\","
                                "\"token\":\"ct-9\",\"masterId\":\"t20001\",\"courseName\":\"初二数学\","
                                "\"lessonName\":\"第5讲\"}}')"));
    QTRY_COMPARE_WITH_TIMEOUT(FakeClassroom::made().size(), 2, 5000);
    FakeClassroom *room = FakeClassroom::made().at(1);
    QCOMPARE(room->roomId, 123);
    QCOMPARE(room->token, QStringLiteral("ct-9"));
    QCOMPARE(room->masterId, QStringLiteral("t20001"));
    QVERIFY(FakeClassroom::made().at(0) == nullptr); // the released one is gone
    auto *course = shell->titleBar()->findChild<QLabel *>(QStringLiteral("labelCourse"));
    auto *lesson = shell->titleBar()->findChild<QLabel *>(QStringLiteral("labelLesson"));
    QCOMPARE(course->text(), QStringLiteral("初二数学"));
    QCOMPARE(lesson->text(), QStringLiteral("第5讲"));
    shell->setMyName(QStringLiteral("林小雨"));
    shoot(QStringLiteral("classmode"));
    // Device changes reach the open class.
    shell->loadSetting();
    shell->setHideUp(true);
    QCOMPARE(room->deviceCalls, QStringList{QStringLiteral("setHideUp(1,0)")});
    leaveAndRelease();
    QVERIFY(course->text().isEmpty());
    QVERIFY(lesson->text().isEmpty());
  }

  void unreleasedClassroomBlocksTheNext() {
    waitOutRecentLeave();
    js(portal(), command(QStringLiteral("'{\"action\":1,\"data\":{\"roomId\":\"7\"}}'")));
    QTRY_COMPARE_WITH_TIMEOUT(FakeClassroom::made().size(), 3, 5000);
    FakeClassroom *room = FakeClassroom::made().at(2);
    QCOMPARE(shell->leaveClass(true), 0); // left, but its release has not finished
    waitOutRecentLeave();
    js(portal(), command(QStringLiteral("'{\"action\":1,\"data\":{\"roomId\":\"8\"}}'")));
    QTRY_VERIFY_WITH_TIMEOUT(BoxDriver::openInformation().contains(
                                 QStringLiteral("进入教室|系统超时未响应，请检查网络连接是否正常，或者重新启动客户端。")),
                             5000);
    QCOMPARE(FakeClassroom::made().size(), 3);
    room->finishRelease();
  }

  void otherActionsOnlyLog() {
    const int mark = logMark();
    js(portal(), command(QStringLiteral("'{\"action\":2}'")));
    QTRY_VERIFY_WITH_TIMEOUT(logSince(mark).contains(QStringLiteral("action=2")), 5000);
    js(portal(), command(QStringLiteral("'not json'")));
    QTRY_VERIFY_WITH_TIMEOUT(logSince(mark).filter(QStringLiteral("json parse error:")).size() == 1, 5000);
    QCOMPARE(FakeClassroom::made().size(), 3);
    QVERIFY(!shell->classroom());
    QVERIFY(portal()->isVisible());
  }

  void otherLineTypeAsksToRestart() {
    BoxDriver driver(false);
    const QUrl before = portal()->url();
    js(portal(), command(QStringLiteral("'{\"action\":1,\"data\":{\"roomId\":\"300102\",\"lineType\":\"bgp\"}}'")));
    QTRY_COMPARE_WITH_TIMEOUT(driver.questions().size(), 1, 5000);
    QCOMPARE(driver.questions().at(0),
             QStringLiteral("教室切换|需要重新启动客户端以切换教室类型，是否立刻切换？"));
    QTest::qWait(200);
    QCOMPARE(FakeClassroom::made().size(), 3);
    QVERIFY(!shell->classroom());
    QCOMPARE(shell->lineType(), QStringLiteral("normal"));
    QVERIFY(portal()->isVisible());
    QCOMPARE(portal()->url(), before);
    QCOMPARE(shell->titleBar()->mode(), int(TitleBar::PortalMode));
  }

  void tooFewBridgeArgumentsAreLoggedAndIgnored() {
    const int mark = logMark();
    const QString token = shell->token();
    js(portal(), QStringLiteral("tarnwick.invoke('setToken', '1');"
                                "tarnwick.invoke('enterRoom');"
                                "tarnwick.invoke('storePassword', '13800000009');"
                                "tarnwick.invoke('imageView');"
                                "tarnwick.invoke('noSuchMethod');"
                                "tarnwick.invoke('enterRoom', '{\"action\":2}')"));
    // The last call proves the ones before it were delivered (calls arrive in order).
    QTRY_VERIFY_WITH_TIMEOUT(logSince(mark).contains(QStringLiteral("action=2")), 5000);
    const QStringList dropped = logSince(mark).filter(QStringLiteral("invokeMethod "));
    QCOMPARE(dropped, (QStringList{
                          QStringLiteral("invokeMethod setToken: needs 4 arguments, the page passed 1"),
                          QStringLiteral("invokeMethod enterRoom: needs 1 arguments, the page passed 0"),
                          QStringLiteral("invokeMethod storePassword: needs 2 arguments, the page passed 1"),
                          QStringLiteral("invokeMethod imageView: needs 1 arguments, the page passed 0"),
                      }));
    QCOMPARE(shell->token(), token);
    QString phone, password;
    shell->loadPassword(phone, password);
    QCOMPARE(phone, kPhone);
  }

  // A page may call the bridge while it is still being parsed: the calls wait for the channel.
  void callsBeforeTheChannelOpensAreQueued() {
    const QString page = QStringLiteral(
        "<html><head><script>"
        "tarnwick.invoke('loadPassword', '#123456');"
        "tarnwick.invoke('storePassword', 13800000002, 42);"
        "window.addEventListener('ping', function (e) { document.title = e.detail.word + '/' + e.detail.n; });"
        "</script></head><body></body></html>");
    // Served as the sign-in page, the only origin that may use the stored credentials.
    OriginServer signIn;
    signIn.page(QStringLiteral("/queued"), page.toUtf8());
    const Deployment deployment = Deployment::instance();
    const auto restore = qScopeGuard([&] { Deployment::setInstance(deployment); });
    Deployment here = deployment;
    here.portalUrl = signIn.origin();
    Deployment::setInstance(here);
    WebView view(signIn.url(QStringLiteral("/queued")));
    QSignalSpy colour(&view, &WebView::loadPasswordRequested);
    QSignalSpy store(&view, &WebView::storePasswordRequested);
    view.resize(200, 100);
    view.show();
    QTRY_COMPARE_WITH_TIMEOUT(store.count(), 1, 15000);
    QCOMPARE(colour.count(), 1);
    QCOMPARE(colour.at(0).at(0).toString(), QStringLiteral("#123456"));
    QCOMPARE(store.at(0).at(0).toString(), QStringLiteral("13800000002"));
    QCOMPARE(store.at(0).at(1).toString(), QStringLiteral("42"));
    view.broadcastEvent(QStringLiteral("ping"), {{QStringLiteral("word"), QStringLiteral("你好")},
                                                  {QStringLiteral("n"), QStringLiteral("7")}});
    QVERIFY(waitForScript(&view, QStringLiteral("document.title"), QStringLiteral("你好/7")));
  }

  void downloadsAskWhereAndTellWhereTheFileWent() {
    const QString target = downloads.filePath(QStringLiteral("notes.txt"));
    QString proposed;
    answerSaveDialog(target, &proposed);
    portal()->load(QUrl(service->baseUrl() + QStringLiteral("/files/math-lesson5-notes.txt")));
    const QString tip = QStringLiteral("文件下载|") + DownloadHandler::savedText(target);
    QTRY_VERIFY_WITH_TIMEOUT(BoxDriver::openInformation().contains(tip), 15000);
    QVERIFY(QFileInfo(target).size() > 0);
    QCOMPARE(QFileInfo(proposed).fileName(), QStringLiteral("第5讲 一次函数讲义.txt"));

    // Cancelling the dialog saves nothing and says nothing.
    BoxDriver::closeInformation();
    answerSaveDialog(QString(), nullptr);
    portal()->load(QUrl(service->baseUrl() + QStringLiteral("/files/math-lesson5-homework.csv")));
    QTest::qWait(1500);
    QVERIFY(BoxDriver::openInformation().isEmpty());
    QCOMPARE(QDir(downloads.path()).entryList(QDir::Files), QStringList{QStringLiteral("notes.txt")});
  }

  void closingDuringAClassAsksFirst() {
    waitOutRecentLeave();
    js(portal(), command(QStringLiteral("'{\"action\":1,\"data\":{\"roomId\":\"300101\"}}'")));
    QTRY_COMPARE_WITH_TIMEOUT(FakeClassroom::made().size(), 4, 5000);
    FakeClassroom *room = FakeClassroom::made().at(3);
    room->statusValue = 2; // in the room

    BoxDriver driver(false);
    shell->close();
    QCOMPARE(driver.questions(), QStringList{QStringLiteral("确认|是否离开教室？")});
    QVERIFY(shell && shell->isVisible());
    QCOMPARE(shell->classroom(), room);

    driver.setAnswer(true);
    shell->close();
    QCOMPARE(driver.questions().size(), 2);
    QVERIFY(shell && shell->isVisible()); // waits for the class to be released
    QVERIFY(!shell->classroom());
    room->finishRelease(); // the shell closes now
    QTRY_VERIFY_WITH_TIMEOUT(shell.isNull(), 5000);
  }
};

int main(int argc, char **argv) {
  scratchenv::prepare();
  qputenv(kRemoteDebuggingSwitch, "1"); // the port is opened on purpose here
  prepareBrowserEnvironment();           // as start-up does
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  TestShellPortal t;
  return QTest::qExec(&t, argc, argv);
}

#include "test_shell_portal.moc"
