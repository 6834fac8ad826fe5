// The title bar's user menu: user information reaching the button and the menu, the menu's
// placement and hide timer, its four items, and the log-out question. The class-name editor
// the title bar keeps across classes.

#include "boxdriver.h"
#include "fakeclassroom.h"

#include "classroom_widgets/qtnameeditor.h"
#include "shell/classroomlink.h"
#include "widgets/qtbackimagebutton.h"
#include "widgets/qtmessagebox.h"

#include "core/deployment.h"
#include "shell/browserwindow.h"
#include "shell/qtmymenu.h"
#include "shell/titlebar.h"
#include "support/httpserver.h"
#include "widgets/qtmenuitem.h"
#include "widgets/qtmybutton.h"

#include <QBuffer>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

namespace {

QString base64Png(const QColor &colour) {
  QImage image(20, 20, QImage::Format_ARGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return QString::fromLatin1(bytes.toBase64());
}

QImage shown(QLabel *label) { return label->pixmap(Qt::ReturnByValue).toImage(); }

} // namespace

class TestTitleBarMenu : public QObject {
  Q_OBJECT
  std::unique_ptr<testsupport::HttpServer> server;
  std::unique_ptr<BrowserWindow> shell;
  TitleBar *bar = nullptr;

  QtMyMenu *menu() { return bar->menu(); }
  QtMyButton *userButton() { return bar->findChild<QtMyButton *>(QStringLiteral("btnMy")); }
  QLabel *menuLabel(const char *name) { return menu()->findChild<QLabel *>(QLatin1String(name)); }

private slots:
  void initTestCase() {
    server = std::make_unique<testsupport::HttpServer>();
    Deployment d = Deployment::instance();
    d.backendUrl = server->baseUrl();
    Deployment::setInstance(d);
    shell = std::make_unique<BrowserWindow>();
    bar = new TitleBar(shell.get());
    shell->setCentralWidget(bar);
    shell->show();
    QVERIFY(QTest::qWaitForWindowExposed(shell.get()));
  }

  void userInfoWithoutAvatarKeepsTheDefault() {
    const QImage before = shown(userButton()->labelAvatar());
    const QImage menuBefore = shown(menuLabel("labelAvatar"));
    bar->setUserInfo({{"name", QStringLiteral("张三")}, {"gold", 120}});
    QCOMPARE(menuLabel("labelName")->text(), QStringLiteral("张三"));
    QCOMPARE(menuLabel("labelGold")->text(), QStringLiteral("120"));
    QCOMPARE(shown(userButton()->labelAvatar()), before);
    QCOMPARE(shown(menuLabel("labelAvatar")), menuBefore);

    // Name only: the coins stay as they were.
    bar->setUserInfo({{"name", QStringLiteral("李四")}});
    QCOMPARE(menuLabel("labelGold")->text(), QStringLiteral("120"));

    bar->setUserInfo({{"avatar", base64Png(Qt::red)}});
    QVERIFY(shown(userButton()->labelAvatar()) != before);
    const QImage round = shown(menuLabel("labelAvatar"));
    QVERIFY(round != menuBefore);
    // Rounded: the corner is see-through, the centre is the picture.
    QCOMPARE(qAlpha(round.pixel(0, 0)), 0);
    QCOMPARE(QColor(round.pixel(round.width() / 2, round.height() / 2)), QColor(Qt::red));
  }

  void menuOpensBelowTheButtonAndTogglesOnClick() {
    bar->btnMyClicked();
    QVERIFY(menu()->isVisible());
    const QPoint buttonBottom = userButton()->mapToGlobal(QPoint(0, userButton()->height()));
    QCOMPARE(menu()->y(), buttonBottom.y());
    QCOMPARE(menu()->x() + menu()->width(), buttonBottom.x() + userButton()->width());
    bar->btnMyClicked();
    QVERIFY(!menu()->isVisible());
  }

  void leavingTheButtonHidesTheMenuAfterHalfASecond() {
    bar->btnMyClicked();
    QVERIFY(menu()->isVisible());
    QVERIFY(!menu()->hideTimer()->isActive());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(userButton(), &leave);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(menu()->hideTimer()->isSingleShot());
    QCOMPARE(menu()->hideTimer()->interval(), 500);
    QTest::qWait(250);
    QVERIFY(menu()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!menu()->isVisible(), 2000);
    QVERIFY(clock.elapsed() >= 450);

    // Reaching the menu in time keeps it open.
    bar->btnMyClicked();
    QCoreApplication::sendEvent(userButton(), &leave);
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(menu(), &enter);
    QTest::qWait(700);
    QVERIFY(menu()->isVisible());
    menu()->hide();
  }

  void itemsEmitTheirKeysAndHideTheMenu() {
    QSignalSpy spy(menu(), &QtMyMenu::itemClicked);
    const QStringList texts{"金币商城", "个人信息", "修改密码", "退出登录"};
    const QStringList keys{"gold", "my_info", "modify_password", "logout"};
    BoxDriver boxes(false); // the log-out question is answered no
    for (int i = 0; i < 4; ++i) {
      menu()->show();
      auto *item = menu()->findChild<QtMenuItem *>(QStringLiteral("menuItem%1").arg(i + 2));
      QVERIFY(item);
      QCOMPARE(item->text(), texts.at(i));
      QTest::mouseClick(item, Qt::LeftButton);
      QVERIFY(!menu()->isVisible());
    }
    QCOMPARE(spy.size(), 4);
    for (int i = 0; i < 4; ++i) QCOMPARE(spy.at(i).at(0).toString(), keys.at(i));
    // Only log-out asks; answered no, the shell stays.
    QCOMPARE(boxes.questions(), QStringList{QStringLiteral("退出登录|是否退出登录？")});
    QVERIFY(shell->isVisible());
  }

  // The editor is made once per shell and outlives the classroom of the class it was first
  // opened in; a refused name in a later class is told over that class's window.
  void renameRefusedInALaterClassIsToldOverThatClass() {
    server->route(QStringLiteral("/quorvel/edit-student-name"),
                  {200, R"({"errorCode":4001,"errorInfo":"登录已过期","data":{}})"});
    auto *first = new FakeClassroom(QStringLiteral("normal"), nullptr);
    first->userName = QStringLiteral("林小雨");
    ClassroomLink::setCurrent(first);
    bar->btnMyNameClicked();
    QPointer<QtNameEditor> editor = bar->nameEditor();
    QVERIFY(editor && editor->isVisible());
    editor->close();
    delete first; // the shell deletes the classroom after the class

    FakeClassroom second(QStringLiteral("normal"), nullptr);
    second.token = QStringLiteral("token-of-the-second-class");
    second.userName = QStringLiteral("林小雨");
    second.show();
    ClassroomLink::setCurrent(&second);
    const int before = server->requestCount();
    bar->btnMyNameClicked();
    QCOMPARE(bar->nameEditor(), editor.data());
    editor->findChild<QLineEdit *>(QStringLiteral("txtName"))->setText(QStringLiteral("林小雨二"));
    editor->findChild<QtBackImageButton *>(QStringLiteral("btnOK"))->click();
    QVERIFY(server->waitForRequests(before + 1, 5000));
    QCOMPARE(server->requests().last().params.value(QStringLiteral("token")), second.token);
    QTRY_COMPARE(second.findChildren<QtMessageBox *>().size(), 1);
    QCOMPARE(second.findChildren<QtMessageBox *>().first()->message(), QStringLiteral("登录已过期"));
    QVERIFY(editor->isVisible()); // open with what was typed
    BoxDriver::closeInformation();
    editor->close();
    ClassroomLink::setCurrent(nullptr);
  }
};

QTEST_MAIN(TestTitleBarMenu)
#include "test_titlebar_menu.moc"
