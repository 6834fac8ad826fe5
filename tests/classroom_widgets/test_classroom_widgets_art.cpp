// The pictures and sounds the toolbar, the stage control and the red packet load by name:
// each exists with the size its widget gives it, state variants really differ, and the red
// packet's layers leave its button visible.

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QtTest>

namespace {

QString res(const QString &file) { return QStringLiteral(":/res/Resources/") + file; }

QImage load(const QString &file) { return QImage(res(file)).convertToFormat(QImage::Format_ARGB32); }

const QPoint kButtonCentre(248, 361); // centre of the red packet's button, dialog coordinates

} // namespace

class TestClassroomWidgetsArt : public QObject {
  Q_OBJECT

private slots:
  void picturesExistWithTheirWidgetSizes_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    for (const char *base : {"mic_on", "mic_off", "speaker_on", "speaker_off"})
      for (const char *suffix : {".png", "_hover.png", "_disabled.png"})
        QTest::newRow(QByteArray(base).append(suffix).constData()) << QString::fromLatin1(base) + QLatin1String(suffix)
                                                                   << QSize(50, 50);
    for (const char *base : {"super_mic", "super_camera"})
      for (const char *suffix : {".png", "_hover.png", "_disabled.png"})
        QTest::newRow(QByteArray(base).append(suffix).constData()) << QString::fromLatin1(base) + QLatin1String(suffix)
                                                                   << QSize(28, 28);
    QTest::newRow("hand") << "hand.png" << QSize(44, 44);
    QTest::newRow("hand disabled") << "hand_disabled.png" << QSize(44, 44);
    for (int n = 0; n < 50; ++n)
      QTest::newRow(qPrintable(QStringLiteral("circle_%1").arg(n))) << QStringLiteral("circle_%1.png").arg(n) << QSize(44, 44);
    QTest::newRow("left background") << "super_button_background_left.png" << QSize(85, 56);
    QTest::newRow("right background") << "super_button_background_right.png" << QSize(85, 56);
    for (int n = 1; n <= 4; ++n)
      QTest::newRow(qPrintable(QStringLiteral("red_packet_0%1").arg(n))) << QStringLiteral("red_packet_0%1.png").arg(n)
                                                                          << QSize(500, 500);
    for (int n = 0; n < 11; ++n)
      QTest::newRow(qPrintable(QStringLiteral("rotation_%1").arg(n))) << QStringLiteral("rotation_%1.png").arg(n)
                                                                       << QSize(500, 500);
    QTest::newRow("button background") << "red_packet_button_background.png" << QSize(220, 83);
    for (const char *part : {"bubble_left.png", "bubble_body.png", "bubble_center.png", "bubble_right.png"})
      QTest::newRow(part) << QString::fromLatin1(part) << QSize();
  }

  void picturesExistWithTheirWidgetSizes() {
    QFETCH(QString, file);
    QFETCH(QSize, size);
    const QImage img = load(file);
    QVERIFY2(!img.isNull(), qPrintable(file));
    if (size.isValid()) QCOMPARE(img.size(), size);
    QVERIFY2(img != QImage(img.size(), img.format()), "picture is empty");
  }

  void stateVariantsDiffer() {
    for (const char *base : {"mic_on", "mic_off", "speaker_on", "speaker_off", "super_mic", "super_camera"}) {
      const QString b = QString::fromLatin1(base);
      const QImage normal = load(b + QStringLiteral(".png"));
      QVERIFY2(normal != load(b + QStringLiteral("_hover.png")), base);
      QVERIFY2(normal != load(b + QStringLiteral("_disabled.png")), base);
    }
    QVERIFY(load(QStringLiteral("mic_on.png")) != load(QStringLiteral("mic_off.png")));
    QVERIFY(load(QStringLiteral("hand.png")) != load(QStringLiteral("hand_disabled.png")));
    for (int n = 1; n < 50; ++n)
      QVERIFY(load(QStringLiteral("circle_%1.png").arg(n)) != load(QStringLiteral("circle_%1.png").arg(n - 1)));
  }

  // The packet and the light lie above the button: while it can be clicked they must be
  // see-through where it is; once open the packet covers that place.
  void layersLeaveTheButtonVisible() {
    for (int n = 1; n <= 3; ++n)
      QCOMPARE(qAlpha(load(QStringLiteral("red_packet_0%1.png").arg(n)).pixel(kButtonCentre)), 0);
    QCOMPARE(qAlpha(load(QStringLiteral("red_packet_04.png")).pixel(kButtonCentre)), 255);
    for (int n = 0; n < 11; ++n) QCOMPARE(qAlpha(load(QStringLiteral("rotation_%1.png").arg(n)).pixel(kButtonCentre)), 0);
    const QImage button = load(QStringLiteral("red_packet_button_background.png"));
    QCOMPARE(qAlpha(button.pixel(kButtonCentre - QPoint(138, 320))), 255);
  }

  void sparklesAreAnAnimatedTransparentGif() {
    QImageReader reader(res(QStringLiteral("flash_star.gif")));
    QVERIFY(reader.supportsAnimation());
    const int frames = reader.imageCount();
    QVERIFY(frames > 1);
    const QImage first = reader.read().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(first.size(), QSize(500, 500));
    QCOMPARE(qAlpha(first.pixel(kButtonCentre)), 0);
    QImage middle;
    for (int i = 1; i <= frames / 2; ++i) middle = reader.read();
    QVERIFY(!middle.isNull());
    QVERIFY(middle.convertToFormat(QImage::Format_ARGB32) != first);
    QVERIFY(QMovie(res(QStringLiteral("flash_star.gif"))).isValid());
  }

  void coinSoundIsAPcmWave() {
    QFile f(res(QStringLiteral("coin.wav")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray wav = f.readAll();
    QVERIFY(wav.size() > 44 + 2 * 22050 / 4);
    QCOMPARE(wav.left(4), QByteArray("RIFF"));
    QCOMPARE(wav.mid(8, 8), QByteArray("WAVEfmt "));
    QCOMPARE(quint8(wav[20]), quint8(1)); // PCM
    qint64 energy = 0;
    for (int i = 44; i + 1 < wav.size(); i += 2) energy += qAbs(qint16(quint8(wav[i]) | quint8(wav[i + 1]) << 8));
    QVERIFY(energy > 0);
  }
};

QTEST_MAIN(TestClassroomWidgetsArt)
#include "test_classroom_widgets_art.moc"
