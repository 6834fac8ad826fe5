#include "av/qtwidgetup.h"
#include "av/qwidgetvideorender.h"
#include "av/qwidgetvideorendercontainer.h"
#include "av/videotilepool.h"

#include <QHBoxLayout>
#include <QTest>

#include <thread>

namespace {

QStringList users(int n) {
  QStringList ids;
  for (int i = 1; i <= n; ++i)
    ids << QStringLiteral("user%1").arg(i);
  return ids;
}

// The user ids of the tiles in the strip, left to right.
QStringList stripOrder(QtWidgetUp &stage, VideoTilePool &pool, const QStringList &candidates) {
  QStringList order;
  QHBoxLayout *row = stage.tileLayout();
  for (int i = 0; i < row->count(); ++i)
    for (const QString &id : candidates)
      if (row->itemAt(i)->widget() == pool.tile(id))
        order << id;
  return order;
}

} // namespace

class TestVideoTilePool : public QObject {
  Q_OBJECT
private slots:
  void init();
  void cleanup();
  void stripAndTileShape();
  void lendsFiveTilesAndNoSixth();
  void returnedTileIsLentAgain();
  void attachPlacesLabelledTileAtPosition();
  void sameStageTwiceChangesNothing();
  void newStageReceivesLentTiles();
  void widgetWorkFromMediaThreadRunsInOrderOnGuiThread();
  void aNameLearntWhileTheTileWaitsIsKept();

private:
  std::unique_ptr<QWidget> m_window;
  QtWidgetUp *m_stage = nullptr;
  VideoTilePool *m_pool = nullptr;
};

void TestVideoTilePool::init() {
  m_window = std::make_unique<QWidget>();
  auto *layout = new QVBoxLayout(m_window.get());
  m_stage = new QtWidgetUp;
  layout->addWidget(m_stage);
  m_window->resize(900, 200);
  m_window->show();
  m_pool = &VideoTilePool::instance(true, m_window.get());
  m_pool->setStage(m_stage);
}

void TestVideoTilePool::cleanup() {
  m_pool->setStage(nullptr);
  m_window.reset();
}

void TestVideoTilePool::stripAndTileShape() {
  QCOMPARE(m_stage->height(), QtWidgetUp::kHeight);
  QCOMPARE(m_stage->tileLayout()->spacing(), QtWidgetUp::kTileSpacing);
  QCOMPARE(m_stage->tileLayout()->parentWidget()->objectName(), QStringLiteral("widgetMemberCameraContainer"));
  QVERIFY(m_stage->findChild<QWidget *>(QStringLiteral("widgetUpCamera")));
  QVERIFY(m_pool->attach(QStringLiteral("a"), QStringLiteral("A"), VideoTiles::kAtEnd));
  QWidgetVideoRenderContainer *tile = m_pool->tile(QStringLiteral("a"));
  QCOMPARE(tile->size(), QSize(140, 100));
  QCOMPARE(tile->parentWidget(), m_stage->tileLayout()->parentWidget());
  QCOMPARE(tile->render()->objectName(), QStringLiteral("widgetRender"));
  const QImage strip = m_stage->grab().toImage();
  QCOMPARE(strip.pixel(strip.width() - 2, 5), qRgb(67, 67, 67));
}

void TestVideoTilePool::lendsFiveTilesAndNoSixth() {
  const QStringList ids = users(6);
  for (int i = 0; i < 5; ++i)
    QVERIFY(m_pool->attach(ids[i], ids[i], VideoTiles::kAtEnd));
  QCOMPARE(m_pool->count(), 5);
  QCOMPARE(m_pool->attach(ids[5], ids[5], VideoTiles::kAtEnd), nullptr);
  QCOMPARE(m_pool->find(ids[5]), nullptr);
  QCOMPARE(m_pool->count(), 5);
  // A user who already has a tile keeps it.
  QCOMPARE(m_pool->attach(ids[0], ids[0], VideoTiles::kAtEnd), m_pool->find(ids[0]));
  QCOMPARE(m_stage->tileLayout()->count(), 5);
}

void TestVideoTilePool::returnedTileIsLentAgain() {
  const QStringList ids = users(6);
  for (int i = 0; i < 5; ++i)
    m_pool->attach(ids[i], ids[i], VideoTiles::kAtEnd);
  QWidgetVideoRenderContainer *returned = m_pool->tile(ids[2]);
  m_pool->detach(ids[2]);
  QCOMPARE(m_pool->count(), 4);
  QCOMPARE(m_pool->find(ids[2]), nullptr);
  QVERIFY(!returned->isVisible());
  QCOMPARE(m_stage->tileLayout()->indexOf(returned), -1);

  QVERIFY(m_pool->attach(ids[5], ids[5], VideoTiles::kAtEnd));
  QCOMPARE(m_pool->tile(ids[5]), returned);
  QVERIFY(returned->isVisible());
  QCOMPARE(returned->render()->name(), ids[5]);
  // The detached user comes back once a tile is free again.
  m_pool->detach(ids[0]);
  QVERIFY(m_pool->attach(ids[2], ids[2], VideoTiles::kAtEnd));
}

void TestVideoTilePool::attachPlacesLabelledTileAtPosition() {
  m_pool->attach(QStringLiteral("s1"), QStringLiteral("学生一"), VideoTiles::kAtEnd);
  m_pool->attach(QStringLiteral("s2"), QStringLiteral("学生二"), VideoTiles::kAtEnd);
  m_pool->attach(QStringLiteral("t"), QStringLiteral("老师"), VideoTiles::kFirst);
  const QStringList all = {QStringLiteral("t"), QStringLiteral("s1"), QStringLiteral("s2")};
  QCOMPARE(stripOrder(*m_stage, *m_pool, all), all);
  QCOMPARE(m_pool->tile(QStringLiteral("t"))->render()->name(), QStringLiteral("老师"));
  QVERIFY(m_pool->tile(QStringLiteral("t"))->isVisible());
}

void TestVideoTilePool::sameStageTwiceChangesNothing() {
  m_pool->attach(QStringLiteral("s1"), QString(), VideoTiles::kAtEnd);
  m_pool->attach(QStringLiteral("s2"), QString(), VideoTiles::kAtEnd);
  m_pool->attach(QStringLiteral("t"), QString(), VideoTiles::kFirst);
  const QStringList before = stripOrder(*m_stage, *m_pool, {"t", "s1", "s2"});
  m_pool->setStage(m_stage);
  QCOMPARE(m_stage->tileLayout()->count(), 3);
  QCOMPARE(stripOrder(*m_stage, *m_pool, {"t", "s1", "s2"}), before);
}

void TestVideoTilePool::newStageReceivesLentTiles() {
  m_pool->attach(QStringLiteral("b"), QString(), VideoTiles::kAtEnd);
  m_pool->attach(QStringLiteral("a"), QString(), VideoTiles::kAtEnd);
  QtWidgetUp other(m_window.get());
  m_pool->setStage(&other);
  QCOMPARE(m_pool->stage(), &other);
  QCOMPARE(other.tileLayout()->count(), 2);
  QCOMPARE(m_stage->tileLayout()->count(), 0);
  QCOMPARE(stripOrder(other, *m_pool, {"a", "b"}), QStringList({"a", "b"})); // map order
}

// The routing attaches and detaches on the SDK's media thread; the strip changes afterwards
// on the GUI thread, in the order asked.
void TestVideoTilePool::widgetWorkFromMediaThreadRunsInOrderOnGuiThread() {
  std::thread media([this] {
    m_pool->attach(QStringLiteral("s1"), QStringLiteral("一"), VideoTiles::kAtEnd);
    m_pool->attach(QStringLiteral("s2"), QStringLiteral("二"), VideoTiles::kAtEnd);
    m_pool->detach(QStringLiteral("s1"));
    m_pool->attach(QStringLiteral("t"), QStringLiteral("师"), VideoTiles::kFirst);
  });
  media.join();
  QCOMPARE(m_pool->count(), 2);
  QCOMPARE(m_stage->tileLayout()->count(), 0); // nothing touched off the GUI thread
  QCoreApplication::processEvents();
  QCOMPARE(stripOrder(*m_stage, *m_pool, {"t", "s2"}), QStringList({"t", "s2"}));
  QCOMPARE(m_stage->tileLayout()->count(), 2);
  QCOMPARE(m_pool->tile(QStringLiteral("t"))->render()->name(), QStringLiteral("师"));
}

// A classmate's frames come before the roster has the name: the tile is lent nameless on the
// media thread, the name arrives on the GUI thread before the queued lending runs, and the tile
// must show it (it used to be overwritten by the empty one).
void TestVideoTilePool::aNameLearntWhileTheTileWaitsIsKept() {
  std::thread media([this] { m_pool->attach(QStringLiteral("s2"), QString(), VideoTiles::kAtEnd); });
  media.join();
  m_pool->relabel(QStringLiteral("s2"), QStringLiteral("陈子墨"));
  QCoreApplication::processEvents();
  QCOMPARE(m_pool->tile(QStringLiteral("s2"))->render()->name(), QStringLiteral("陈子墨"));
  // Lent again by a later frame that still knows no name: the name stays.
  std::thread again([this] { m_pool->attach(QStringLiteral("s2"), QString(), VideoTiles::kAtEnd); });
  again.join();
  QCoreApplication::processEvents();
  QCOMPARE(m_pool->tile(QStringLiteral("s2"))->render()->name(), QStringLiteral("陈子墨"));
  // A tile given back and lent to someone else shows the newcomer's name, not the old one.
  m_pool->detach(QStringLiteral("s2"));
  m_pool->attach(QStringLiteral("s3"), QStringLiteral("王思远"), VideoTiles::kAtEnd);
  QCoreApplication::processEvents();
  QCOMPARE(m_pool->tile(QStringLiteral("s3"))->render()->name(), QStringLiteral("王思远"));
  QCOMPARE(m_pool->label(QStringLiteral("s2")), QString());
}

QTEST_MAIN(TestVideoTilePool)
#include "test_videotilepool.moc"
