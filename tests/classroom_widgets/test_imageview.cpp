// The picture viewer: window size from the picture, the zoom steps with their floor and bound,
// a real download and its failure, the reset for a new picture, and closing that only hides.

#include "classroom_widgets/qtimageview.h"
#include "core/deployment.h"
#include "support/httpserver.h"
#include "support/testpicture.h"
#include "widgets/exlabel.h"
#include "widgets/qtmessagebox.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QScreen>
#include <QtTest>

namespace {

QByteArray png(const QSize &size) { return testpicture::png(size, Qt::darkCyan); }

QStringList openBoxTexts() {
  QStringList texts;
  for (QWidget *w : QApplication::topLevelWidgets())
    if (auto *box = qobject_cast<QtMessageBox *>(w); box && box->isVisible()) texts << box->message();
  return texts;
}

// The viewer fetches only from the picture store; every picture below lies in it.
void useStore(const testsupport::HttpServer &server) {
  Deployment d = Deployment::instance();
  d.storageUrl = server.baseUrl() + QStringLiteral("/storage");
  Deployment::setInstance(d);
}

void closeBoxes() {
  for (QWidget *w : QApplication::topLevelWidgets())
    if (qobject_cast<QtMessageBox *>(w)) w->close();
}

} // namespace

class TestImageView : public QObject {
  Q_OBJECT

private slots:
  void windowSizeFollowsThePicture() {
    QCOMPARE(QtImageView::windowSizeFor({200, 100}), QSize(360, 240));
    QCOMPARE(QtImageView::windowSizeFor({200, 300}), QSize(206, 330));
    QCOMPARE(QtImageView::windowSizeFor({1360, 10}), QSize(1366, 730));
    QCOMPARE(QtImageView::windowSizeFor({10, 700}), QSize(1366, 730));
    QCOMPARE(QtImageView::windowSizeFor({1359, 699}), QSize(1365, 729));
  }

  void zoomStepsStopAtTheFloorAndTheBound() {
    const QSize picture(400, 300);
    QCOMPARE(QtImageView::zoomed({400, 300}, -120, picture), QSize(360, 270));
    QCOMPARE(QtImageView::zoomed({400, 300}, 120, picture), QSize(440, 330));
    QCOMPARE(QtImageView::zoomed({400, 300}, 0, picture), QSize(400, 300));
    QCOMPARE(QtImageView::zoomed({150, 100}, -120, picture), QSize(150, 100));
    QCOMPARE(QtImageView::zoomed({101, 500}, -120, picture), QSize(90, 450)); // may land under 100 once
    // Growing stops before 8 times the picture, and before 16384 px for large pictures.
    QSize size(400, 300);
    for (int i = 0; i < 1000; ++i) size = QtImageView::zoomed(size, 120, picture);
    QVERIFY(size.width() <= 3200 && size.width() > 3200 / 1.1);
    size = QSize(4000, 3000);
    for (int i = 0; i < 1000; ++i) size = QtImageView::zoomed(size, 120, {4000, 3000});
    QVERIFY(size.width() <= 16384 && size.width() > 16384 / 1.1);
  }

  void downloadsSizesZoomsAndResets() {
    testsupport::HttpServer server;
    useStore(server);
    server.route(QStringLiteral("/storage/tall.png"), {200, png({200, 300}), "image/png"});
    server.route(QStringLiteral("/storage/small.png"), {200, png({200, 100}), "image/png"});
    QtImageView view;
    view.showImage(server.baseUrl() + QStringLiteral("/storage/tall.png"));
    QVERIFY(!view.isVisible()); // only once the picture is there
    QTRY_VERIFY(view.isVisible());
    QCOMPARE(view.size(), QSize(206, 330));
    const QRect screen = view.screen()->geometry();
    QCOMPARE(view.pos(), QPoint(screen.x() + (screen.width() - 206) / 2, screen.y() + (screen.height() - 330) / 2));
    auto *label = view.findChild<ExLabel *>(QStringLiteral("label"));
    QCOMPARE(label->size(), QSize(200, 300));

    view.onScrollAreaWheel(120);
    QCOMPARE(label->size(), QSize(220, 330));
    QVERIFY(label->hasScaledContents());
    for (int i = 0; i < 20; ++i) view.onScrollAreaWheel(-120);
    QVERIFY(label->width() <= 100 && label->width() > 90);

    // A new picture frees the label again.
    view.showImage(server.baseUrl() + QStringLiteral("/storage/small.png"));
    QVERIFY(!label->hasScaledContents());
    QCOMPARE(label->maximumSize(), QSize(16777215, 16777215));
    QTRY_COMPARE(label->size(), QSize(200, 100));
    QCOMPARE(view.size(), QSize(360, 240));

    view.close();
    QVERIFY(!view.isVisible());
    view.showImage(server.baseUrl() + QStringLiteral("/storage/tall.png"));
    QTRY_VERIFY(view.isVisible());
  }

  void aFailedDownloadOnlySaysSo() {
    testsupport::HttpServer server;
    useStore(server);
    QtImageView view;
    view.showImage(server.baseUrl() + QStringLiteral("/storage/missing.png"));
    QTRY_VERIFY(openBoxTexts().join(QString()).contains(QStringLiteral("获取图片出错，请检查网络是否正常")));
    QVERIFY(!view.isVisible());
    closeBoxes();
  }

  // A page, or anything else that does not decode, gives a tip and no empty window.
  void aDownloadThatIsNoPictureGivesATip() {
    testsupport::HttpServer server;
    useStore(server);
    server.route(QStringLiteral("/storage/page.png"), {200, "<html>登录</html>", "text/html"});
    QtImageView view;
    view.showImage(server.baseUrl() + QStringLiteral("/storage/page.png"));
    QTRY_VERIFY(openBoxTexts().join(QString()).contains(QStringLiteral("下载的内容不是图片，无法显示")));
    QTest::qWait(200);
    QVERIFY(!view.isVisible());
    closeBoxes();
  }

  // An address outside the store is never fetched: not another host, not another path of
  // the store's host, not a path that climbs out of the store.
  void onlyStorePicturesAreFetched() {
    testsupport::HttpServer server;
    testsupport::HttpServer elsewhere;
    useStore(server);
    server.route(QStringLiteral("/static/a.png"), {200, png({20, 20}), "image/png"});
    elsewhere.route(QStringLiteral("/storage/a.png"), {200, png({20, 20}), "image/png"});
    QtImageView view;
    const QStringList refused{elsewhere.baseUrl() + QStringLiteral("/storage/a.png"),
                              server.baseUrl() + QStringLiteral("/static/a.png"),
                              server.baseUrl() + QStringLiteral("/storage/%2e%2e/static/a.png"),
                              server.baseUrl() + QStringLiteral("/storagex/a.png"),
                              QStringLiteral("file:///etc/passwd")};
    for (const QString &url : refused) {
      view.showImage(url);
      QVERIFY(openBoxTexts().join(QString()).contains(QStringLiteral("该图片不是课堂图片，无法查看")));
      closeBoxes();
    }
    QTest::qWait(300);
    QCOMPARE(server.requestCount(), 0);
    QCOMPARE(elsewhere.requestCount(), 0);
    QVERIFY(!view.isVisible());
  }
};

QTEST_MAIN(TestImageView)
#include "test_imageview.moc"
