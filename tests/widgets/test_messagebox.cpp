#include "imagecompare.h"
#include "widgets/exlabel.h"
#include "widgets/qtbackimagebutton.h"
#include "widgets/qtmessagebox.h"
#include "widgets/qtmessageview.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <functional>

using imagecompare::samePicture;

namespace {

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Runs act on the question box once its own event loop is running, and reports what it saw.
struct Answerer {
  QPointer<QtMessageBox> seen;
  bool wasModal = false;
  QString ok, cancel;
  bool cancelVisible = false;

  void arm(const std::function<void(QtMessageBox *)> &act) {
    QTimer::singleShot(0, [this, act] {
      seen = qobject_cast<QtMessageBox *>(QApplication::activeModalWidget());
      if (!seen) return; // the test fails on seen; never leave a loop running
      wasModal = seen->isModal();
      ok = seen->view()->btnOK()->captionText();
      cancel = seen->view()->btnCancel()->captionText();
      cancelVisible = seen->view()->btnCancel()->isVisible();
      act(seen);
    });
  }
};

} // namespace

class TestMessageBox : public QObject {
  Q_OBJECT
private slots:
  void informationShowsWithoutBlocking();
  void informationDeletesItselfOnOk();
  void informationDeletesItselfOnCloseButton();
  void viewSignals();
  void questionYes();
  void questionNo();
  void questionCloseButtonRejects();
};

void TestMessageBox::informationShowsWithoutBlocking() {
  QWidget parent;
  QPointer<QtMessageBox> box = QtMessageBox::information(&parent, QStringLiteral("错误"), QStringLiteral("网络异常"));
  QVERIFY(box);
  QVERIFY(box->isVisible());
  QVERIFY(!box->isModal());
  QCOMPARE(box->parentWidget(), &parent);
  QCOMPARE(box->size(), QSize(420, 260));
  QCOMPARE(box->title(), QStringLiteral("错误"));
  QCOMPARE(box->message(), QStringLiteral("网络异常"));
  QtMessageView *view = box->view();
  QCOMPARE(view->labelMessage()->text(), QStringLiteral("网络异常"));
  QCOMPARE(view->labelMessage()->styleSheet(),
           QStringLiteral("color: rgb(102, 102, 102);\nfont: 75 14px \"微软雅黑\";\npadding: 0px 10px 0px 10px;"));
  QVERIFY(samePicture(view->labelIcon()->pixmap(Qt::ReturnByValue), "info.png"));
  QCOMPARE(view->btnOK()->captionText(), QStringLiteral("确定"));
  QCOMPARE(view->btnOK()->imageName(), QStringLiteral("yellow_button"));
  QCOMPARE(view->btnCancel()->imageName(), QStringLiteral("gray_button"));
  QVERIFY(view->btnOK()->isVisible());
  QVERIFY(!view->btnCancel()->isVisible());
  delete box;
}

void TestMessageBox::informationDeletesItselfOnOk() {
  QWidget parent;
  QPointer<QtMessageBox> box = QtMessageBox::information(&parent, QStringLiteral("提示"), QStringLiteral("已保存"));
  QSignalSpy accepted(box.data(), &QDialog::accepted);
  QTest::mouseClick(box->view()->btnOK(), Qt::LeftButton);
  QCOMPARE(accepted.count(), 1);
  QVERIFY(box);
  QVERIFY(!box->isVisible());
  flushDeletes();
  QVERIFY(!box);
}

void TestMessageBox::informationDeletesItselfOnCloseButton() {
  QPointer<QtMessageBox> box = QtMessageBox::information(nullptr, QStringLiteral("提示"), QStringLiteral("x"));
  QSignalSpy rejected(box.data(), &QDialog::rejected);
  QTest::mouseClick(box->closeButton(), Qt::LeftButton);
  QCOMPARE(rejected.count(), 1);
  flushDeletes();
  QVERIFY(!box);
}

void TestMessageBox::viewSignals() {
  QtMessageView view;
  QSignalSpy ok(&view, &QtMessageView::okClicked);
  QSignalSpy cancel(&view, &QtMessageView::cancelClicked);
  QSignalSpy dbl(&view, &QtMessageView::messageDoubleClicked);
  view.show();
  QTest::mouseClick(view.btnOK(), Qt::LeftButton);
  QTest::mouseClick(view.btnCancel(), Qt::LeftButton);
  QTest::mouseDClick(view.labelMessage(), Qt::LeftButton);
  QCOMPARE(ok.count(), 1);
  QCOMPARE(cancel.count(), 1);
  QCOMPARE(dbl.count(), 1);
  view.setButtonTexts(QStringLiteral("是"), QString());
  QVERIFY(!view.btnCancel()->isVisible());
}

void TestMessageBox::questionYes() {
  QWidget parent;
  Answerer a;
  a.arm([](QtMessageBox *box) { QTest::mouseClick(box->view()->btnOK(), Qt::LeftButton); });
  const bool yes = QtMessageBox::question(&parent, QStringLiteral("确认"), QStringLiteral("确认要离开教室吗？"));
  QVERIFY(yes);
  QVERIFY(a.wasModal);
  QCOMPARE(a.ok, QStringLiteral("是"));
  QCOMPARE(a.cancel, QStringLiteral("否"));
  QVERIFY(a.cancelVisible);
  flushDeletes();
  QVERIFY(a.seen.isNull());
  QVERIFY(parent.findChildren<QtMessageBox *>().isEmpty());
}

void TestMessageBox::questionNo() {
  Answerer a;
  a.arm([](QtMessageBox *box) { QTest::mouseClick(box->view()->btnCancel(), Qt::LeftButton); });
  const bool yes = QtMessageBox::question(nullptr, QStringLiteral("检查更新"), QStringLiteral("是否现在升级？"));
  QVERIFY(a.wasModal);
  QVERIFY(!yes);
  flushDeletes();
  QVERIFY(a.seen.isNull());
}

void TestMessageBox::questionCloseButtonRejects() {
  Answerer a;
  a.arm([](QtMessageBox *box) { QTest::mouseClick(box->closeButton(), Qt::LeftButton); });
  const bool yes = QtMessageBox::question(nullptr, QStringLiteral("教室切换"), QStringLiteral("是否立刻切换？"));
  QVERIFY(a.wasModal);
  QVERIFY(!yes);
  flushDeletes();
  QVERIFY(a.seen.isNull());
}

QTEST_MAIN(TestMessageBox)
#include "test_messagebox.moc"
