#include "widgets/exlabel.h"
#include "widgets/qtmessagebox.h"
#include "widgets/qtmessageview.h"

#include <QApplication>
#include <QClipboard>
#include <QPointer>
#include <QtTest>

class TestMessageBoxClipboard : public QObject {
  Q_OBJECT
private slots:
  void doubleClickCopiesAndCloses();
};

void TestMessageBoxClipboard::doubleClickCopiesAndCloses() {
  QApplication::clipboard()->setText(QStringLiteral("before"));
  const QString text = QStringLiteral("错误码:   1004\n错误信息: 登录失败");
  QPointer<QtMessageBox> box = QtMessageBox::information(nullptr, QStringLiteral("错误"), text);
  QVERIFY(QTest::qWaitForWindowExposed(box.data()));
  QTest::mouseDClick(box->view()->labelMessage(), Qt::LeftButton);
  QTRY_COMPARE(QApplication::clipboard()->text(), text);
  QTRY_VERIFY(box.isNull());
}

QTEST_MAIN(TestMessageBoxClipboard)
#include "test_messagebox_clipboard.moc"
