// The system-wide hot key on the test display: keys come from the X server through xdotool.
#include "widgets/qxtglobalshortcut.h"
#include "widgets/qxtglobalshortcut_p.h"
#include "widgets/xdo.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QX11Info>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <memory>
#include <xcb/xcb.h>

namespace {
const QKeySequence kCtrlShiftA(QStringLiteral("Ctrl+Shift+A"));
constexpr int kQuietMs = 400; // long enough for a key press to travel through the X server
} // namespace

class TestGlobalShortcut : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() { QVERIFY2(QX11Info::isPlatformX11(), "needs the X11 test display"); }

  void tableMapsTheWindowsCodes() {
    using P = QxtGlobalShortcutPrivate;
    QCOMPARE(P::nativeKeycode(Qt::Key_A), 0x41u);
    QCOMPARE(P::nativeModifiers(Qt::ControlModifier | Qt::ShiftModifier), 6u);
    QCOMPARE(P::identifier(0x41, 6), 0x47u);
    QCOMPARE(P::nativeModifiers(Qt::AltModifier | Qt::MetaModifier), 9u);
    QCOMPARE(P::nativeKeycode(Qt::Key_7), quint32('7'));
    QCOMPARE(P::nativeKeycode(Qt::Key_Space), 0x20u);
    QCOMPARE(P::nativeKeycode(Qt::Key_Escape), 0x1Bu);
    QCOMPARE(P::nativeKeycode(Qt::Key_F1), 0x70u);
    QCOMPARE(P::nativeKeycode(Qt::Key_F24), 0x87u);
    QCOMPARE(P::nativeKeycode(Qt::Key_Asterisk), 0x6Au);
    QCOMPARE(P::nativeKeycode(Qt::Key_Slash), 0x6Fu);
    QCOMPARE(P::nativeKeycode(Qt::Key_Enter), 0x0Du);
    QCOMPARE(P::nativeKeycode(Qt::Key_Agrave), 0u);
  }

  void ctrlShiftAFromTheServerEmitsAndTheTableNamesTheObject() {
    QxtGlobalShortcut shortcut(kCtrlShiftA);
    QCOMPARE(QxtGlobalShortcutPrivate::ownerOf(0x41, 6), &shortcut);
    QSignalSpy spy(&shortcut, &QxtGlobalShortcut::activated);
    QVERIFY(xdo::key(QStringLiteral("ctrl+shift+a")));
    QTRY_COMPARE(spy.count(), 1);
    // Other modifiers on the same key are not this hot key.
    QVERIFY(xdo::key(QStringLiteral("ctrl+a")));
    QTest::qWait(kQuietMs);
    QCOMPARE(spy.count(), 1);
  }

  void numLockDoesNotDisableIt() {
    QxtGlobalShortcut shortcut(kCtrlShiftA);
    QSignalSpy spy(&shortcut, &QxtGlobalShortcut::activated);
    QVERIFY(xdo::key(QStringLiteral("Num_Lock")));
    QVERIFY(xdo::key(QStringLiteral("ctrl+shift+a")));
    QVERIFY(xdo::key(QStringLiteral("Num_Lock")));
    QTRY_COMPARE(spy.count(), 1);
  }

  void disabledShortcutReceivesWithoutEmitting() {
    QxtGlobalShortcut shortcut(kCtrlShiftA);
    QSignalSpy spy(&shortcut, &QxtGlobalShortcut::activated);
    shortcut.setDisabled(true);
    QVERIFY(!shortcut.isEnabled());
    QVERIFY(xdo::key(QStringLiteral("ctrl+shift+a")));
    QTest::qWait(kQuietMs);
    QCOMPARE(spy.count(), 0);
    shortcut.setEnabled(true);
    QVERIFY(xdo::key(QStringLiteral("ctrl+shift+a")));
    QTRY_COMPARE(spy.count(), 1);
  }

  void secondObjectFailsToRegisterYetReceivesTheKey() {
    QxtGlobalShortcut first(kCtrlShiftA);
    QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to register: Ctrl+Shift+A");
    auto second = std::make_unique<QxtGlobalShortcut>();
    QVERIFY(!second->setShortcut(kCtrlShiftA));
    QCOMPARE(QxtGlobalShortcutPrivate::ownerOf(0x41, 6), second.get());
    QSignalSpy firstSpy(&first, &QxtGlobalShortcut::activated);
    QSignalSpy secondSpy(second.get(), &QxtGlobalShortcut::activated);
    QVERIFY(xdo::key(QStringLiteral("ctrl+shift+a")));
    QTRY_COMPARE(secondSpy.count(), 1);
    QCOMPARE(firstSpy.count(), 0);
    // The second object never held the hot key: its unregistration fails and warns.
    QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to unregister: Ctrl+Shift+A");
    second.reset();
  }

  void unsetAndDestructionReleaseTheGrab() {
    auto shortcut = std::make_unique<QxtGlobalShortcut>(kCtrlShiftA);
    QSignalSpy spy(shortcut.get(), &QxtGlobalShortcut::activated);
    QVERIFY(shortcut->unsetShortcut());
    QCOMPARE(QxtGlobalShortcutPrivate::ownerOf(0x41, 6), nullptr);
    QVERIFY(xdo::key(QStringLiteral("ctrl+shift+a")));
    QTest::qWait(kQuietMs);
    QCOMPARE(spy.count(), 0);
    QVERIFY(shortcut->setShortcut(kCtrlShiftA));
    shortcut.reset();
    QxtGlobalShortcut again; // registers cleanly, so the destructor let go of the grab
    QVERIFY(again.setShortcut(kCtrlShiftA));
  }

  void filterOutlivesTheObjectThatInstalledIt() {
    auto first = std::make_unique<QxtGlobalShortcut>(); // installs the one native filter
    QxtGlobalShortcut second(kCtrlShiftA);
    first.reset();
    QSignalSpy spy(&second, &QxtGlobalShortcut::activated);
    QVERIFY(xdo::key(QStringLiteral("ctrl+shift+a")));
    QTRY_COMPARE(spy.count(), 1);
  }

  void hotKeyHeldByAnotherApplicationOnlyWarns() {
    // Another X client takes Ctrl+Shift+B first.
    xcb_connection_t *other = xcb_connect(nullptr, nullptr);
    QVERIFY(!xcb_connection_has_error(other));
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
    const auto code = xcb_keycode_t(XKeysymToKeycode(QX11Info::display(), XK_b));
    const uint16_t ctrlShift = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;
    QVERIFY(!xcb_request_check(other, xcb_grab_key_checked(other, 1, root, ctrlShift, code,
                                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)));
    QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to register: Ctrl+Shift+B");
    QxtGlobalShortcut shortcut;
    QVERIFY(!shortcut.setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+B"))));
    xcb_disconnect(other);
    QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to unregister: Ctrl+Shift+B");
  }
};

QTEST_MAIN(TestGlobalShortcut)
#include "test_globalshortcut.moc"
