// Background images of document pages: fetched only from the previews' and the store's
// origins (no other host, scheme or redirect), refused over the byte and pixel caps, and kept
// in a cache that stays within its bounds.
#include "sdk/board/boardimages.h"
#include "sdk/board/boardthread.h"
#include "support/httpserver.h"

#include <QBuffer>
#include <QImage>
#include <QtTest>

using board::BoardImages;

namespace {

QByteArray imageBytes(int width, int height, const char *format) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(20, 160, 40));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes;
}

testsupport::HttpReply image(const QByteArray &bytes) { return {200, bytes, "image/png"}; }

} // namespace

class TestBoardImages : public QObject {
  Q_OBJECT
  board::BoardThread thread_;
  testsupport::HttpServer previews_, elsewhere_;

  // Asks for url and waits until it has arrived or failed; the image then.
  QImage settled(BoardImages &images, const QString &url) {
    images.image(url);
    if (!QTest::qWaitFor([&] { return images.isSettled(url); }, 10000))
      return QImage(1, 1, QImage::Format_Mono); // neither: a picture nobody serves
    return images.image(url);
  }
  QString preview(const QString &path) const { return previews_.baseUrl() + path; }

private slots:
  void initTestCase() {
    const QByteArray page = imageBytes(320, 180, "PNG");
    previews_.route(QStringLiteral("/page.png"), image(page));
    elsewhere_.route(QStringLiteral("/page.png"), image(page));
    previews_.route(QStringLiteral("/moved.png"),
                    testsupport::HttpReply{302, QByteArray(), "text/plain",
                                           0, {{"Location", (elsewhere_.baseUrl() + "/page.png").toUtf8()}}});
    // Over the pixel cap, though small in bytes; over the byte cap, though few pixels.
    previews_.route(QStringLiteral("/wide.png"), image(imageBytes(5000, 4000, "PNG")));
    const QByteArray heavy = imageBytes(2400, 2400, "BMP");
    QVERIFY(heavy.size() > BoardImages::kMaxBytes);
    previews_.route(QStringLiteral("/heavy.bmp"), image(heavy));
    BoardImages::setAllowedOrigins({previews_.baseUrl() + QStringLiteral("/preview/"),
                                    QStringLiteral("http://storage.invalid")});
  }

  void onlyThePreviewsAndTheStoreAreAsked() {
    BoardImages images(thread_, [] {});
    QVERIFY(!settled(images, preview("/page.png")).isNull());
    const QString port = QString::number(previews_.port());
    for (const QString &url : {elsewhere_.baseUrl() + "/page.png", preview("/moved.png"),
                               QUrl::fromLocalFile(QStringLiteral("/etc/hostname")).toString(),
                               "http://someone@127.0.0.1:" + port + "/page.png", "ftp://127.0.0.1:" + port + "/page.png",
                               QStringLiteral("javascript:alert(1)"), QStringLiteral("http://storage.invalid.example/page.png")})
      QVERIFY2(settled(images, url).isNull(), qPrintable(url));
    QCOMPARE(elsewhere_.requestCount(), 0);
  }

  void imagesOverTheCapsAreRefused() {
    BoardImages images(thread_, [] {});
    QVERIFY(settled(images, preview("/wide.png")).isNull());
    QVERIFY(settled(images, preview("/heavy.bmp")).isNull());
    QVERIFY(!settled(images, preview("/page.png")).isNull());
  }

  // Many pages asked for in turn: the cache keeps the most recent and stays within its bounds.
  void theCacheIsBounded() {
    BoardImages images(thread_, [] {});
    const QString first = preview(QStringLiteral("/page.png?page=0"));
    QVERIFY(!settled(images, first).isNull());
    for (int i = 1; i < BoardImages::kMaxEntries + 20; ++i) {
      QVERIFY(!settled(images, preview(QStringLiteral("/page.png?page=%1").arg(i))).isNull());
      images.image(first); // kept in use
      QVERIFY(images.cachedCount() <= BoardImages::kMaxEntries);
    }
    QVERIFY(images.isSettled(first));
    QVERIFY(!images.isSettled(preview(QStringLiteral("/page.png?page=1"))));
  }
};

QTEST_GUILESS_MAIN(TestBoardImages)
#include "test_boardimages.moc"
