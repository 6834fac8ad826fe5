// The member roster: rows from full and single answers, removal of members no longer listed,
// status texts, numeric order, roster notices with the notify-id gap rule, and lookups from
// another thread while the rows change.
#include "classroom/memberroster.h"
#include "classroom/membertable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <atomic>

namespace {

QVariantMap member(const QString &uid, const QString &name, const QString &role = "0",
                   int sort = 0) {
  return {{"uid", uid}, {"name", name}, {"role", role}, {"device", "PC2.0_510208_bgp"},
          {"full_device", "PC2.0_510208_bgp linux"}, {"offline", "0"}, {"sort", sort}};
}

QString noticeJson(int id, const QJsonArray &data) {
  return QString::fromUtf8(
      QJsonDocument(QJsonObject{{"notify_id", id}, {"data", data}}).toJson(QJsonDocument::Compact));
}

} // namespace

class TestRoster : public QObject {
  Q_OBJECT

  std::unique_ptr<MemberRoster> roster_;
  std::unique_ptr<QTableView> view_;

  QStringList uidsInOrder() const {
    QStringList out;
    for (int r = 0; r < roster_->model()->rowCount(); ++r)
      out << roster_->model()->item(r, MemberRoster::ColUid)->text();
    return out;
  }
  QString cell(const QString &uid, int column) const { return roster_->memberText(uid, column); }

private slots:
  void init() {
    roster_ = std::make_unique<MemberRoster>();
    view_ = std::make_unique<QTableView>();
    MemberTable::attach(view_.get(), roster_.get());
  }

  void cleanup() {
    view_.reset();
    roster_.reset();
  }

  void fullAnswerFillsEveryColumn() {
    QVariantMap m = member("t1", "王老师(离线)", "1", 4);
    roster_->applyFullRoster({m});
    QCOMPARE(cell("t1", MemberRoster::ColName), QStringLiteral("王老师"));
    QCOMPARE(cell("t1", MemberRoster::ColStatus), QStringLiteral("老师"));
    QCOMPARE(cell("t1", MemberRoster::ColRole), QStringLiteral("1"));
    QCOMPARE(cell("t1", MemberRoster::ColDevice), QStringLiteral("PC2.0_510208_bgp"));
    QCOMPARE(cell("t1", MemberRoster::ColOffline), QStringLiteral("0"));
    QCOMPARE(cell("t1", MemberRoster::ColSort), QStringLiteral("4"));
    QCOMPARE(cell("t1", MemberRoster::ColFullDevice), QStringLiteral("PC2.0_510208_bgp linux"));
  }

  void statusTextFollowsTheRole_data() {
    QTest::addColumn<QString>("role");
    QTest::addColumn<QString>("status");
    QTest::newRow("listening") << "0" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("teacher") << "1" << "老师";
    QTest::newRow("on stage") << "2" << "连麦";
    QTest::newRow("other keeps the text") << "7" << "连麦";
  }

  void statusTextFollowsTheRole() {
    QFETCH(QString, role);
    QFETCH(QString, status);
    roster_->applyFullRoster({member("s", "学生", "2")});
    roster_->applyFullRoster({member("s", "学生", role)});
    QCOMPARE(cell("s", MemberRoster::ColStatus), status);
    QCOMPARE(cell("s", MemberRoster::ColRole), role);
  }

  void nameWithOfflineMarksAnywhereIsCleaned() {
    roster_->applyMembers({member("x", "(离线)小(离线)红"), member("y", "小蓝(離線)")});
    QCOMPARE(cell("x", MemberRoster::ColName), QStringLiteral("小红"));
    QCOMPARE(cell("y", MemberRoster::ColName), QStringLiteral("小蓝(離線)"));
  }

  void membersNoLongerListedLeaveAndDuplicatesShareARow() {
    roster_->applyFullRoster({member("a", "甲"), member("b", "乙"), member("c", "丙")});
    QCOMPARE(roster_->rowCount(), 3);
    roster_->applyFullRoster({member("c", "丙"), member("a", "甲一"), member("a", "甲二")});
    QCOMPARE(roster_->rowCount(), 2);
    QCOMPARE(roster_->rowOfMember("b"), -1);
    QCOMPARE(cell("a", MemberRoster::ColName), QStringLiteral("甲二"));
    QCOMPARE(roster_->members().size(), 3);
  }

  void fullDeviceKeptWhenAnAnswerHasNone() {
    roster_->applyFullRoster({member("a", "甲")});
    QVariantMap bare = member("a", "甲");
    bare.remove("full_device");
    roster_->applyMembers({bare});
    QCOMPARE(cell("a", MemberRoster::ColFullDevice), QStringLiteral("PC2.0_510208_bgp linux"));
  }

  void sortedByTheNumberOfTheSortValue() {
    roster_->applyFullRoster({member("h", "百", "0", 100), member("t", "十", "0", 10),
                              member("n", "九", "0", 9), member("z", "零", "1", 0)});
    roster_->sortMembers();
    QCOMPARE(uidsInOrder(), (QStringList{"z", "n", "t", "h"}));
    QCOMPARE(cell("h", MemberRoster::ColSort), QStringLiteral("100"));
    // A later change of one value moves that member only.
    roster_->applyMembers({member("n", "九", "0", 50)});
    roster_->sortMembers();
    QCOMPARE(uidsInOrder(), (QStringList{"z", "t", "n", "h"}));
  }

  void lookupsOfUnknownMembersAndWhileLeaving() {
    roster_->applyFullRoster({member("a", "甲")});
    QCOMPARE(cell("nobody", MemberRoster::ColName), QString());
    QCOMPARE(roster_->rowOfMember("nobody"), -1);
    roster_->setLeaving();
    QCOMPARE(cell("a", MemberRoster::ColName), QString());
  }

  void setMemberColumnSignalsAChange() {
    roster_->applyFullRoster({member("a", "甲")});
    QSignalSpy changed(roster_.get(), &MemberRoster::memberChanged);
    roster_->setMemberColumn("a", MemberRoster::ColRole, "2");
    QCOMPARE(changed.count(), 1);
    QCOMPARE(cell("a", MemberRoster::ColRole), QStringLiteral("2"));
    roster_->setMemberColumn("ghost", MemberRoster::ColRole, "2");
    QCOMPARE(roster_->rowCount(), 1);
  }

  void noticesUpdateRowsAndNameTheUnknown() {
    roster_->applyFullRoster({member("a", "甲"), member("b", "乙")});
    const MemberRoster::NoticeOutcome first = roster_->applyNotice(noticeJson(
        5, {QJsonObject{{"uid", "a"}, {"name", "甲(离线)"}, {"exit", 1}, {"role", "2"}, {"up", 1}},
            QJsonObject{{"uid", "new1"}, {"name", "新"}, {"exit", 0}},
            QJsonObject{{"uid", "new1"}, {"name", "新"}}}));
    QVERIFY(!first.fullRefresh);
    QCOMPARE(first.fetch, QStringList{"new1"});
    QCOMPARE(cell("a", MemberRoster::ColName), QStringLiteral("甲"));
    QCOMPARE(cell("a", MemberRoster::ColOffline), QStringLiteral("1"));
    QCOMPARE(cell("a", MemberRoster::ColStatus), QStringLiteral("连麦"));
    QCOMPARE(cell("a", MemberRoster::ColRole), QStringLiteral("2"));
    QCOMPARE(roster_->rowOfMember("new1"), -1);
    QCOMPARE(roster_->lastNotifyId(), 5);

    const MemberRoster::NoticeOutcome next =
        roster_->applyNotice(noticeJson(6, {QJsonObject{{"uid", "b"}, {"name", "乙乙"}}}));
    QVERIFY(!next.fullRefresh);
    QCOMPARE(cell("b", MemberRoster::ColName), QStringLiteral("乙乙"));
  }

  void aMissingNoticeAsksForTheWholeRoster() {
    roster_->applyFullRoster({member("a", "甲")});
    QVERIFY(!roster_->applyNotice(noticeJson(3, {})).fullRefresh);
    const MemberRoster::NoticeOutcome gap =
        roster_->applyNotice(noticeJson(5, {QJsonObject{{"uid", "a"}, {"name", "不该写入"}}}));
    QVERIFY(gap.fullRefresh);
    QCOMPARE(cell("a", MemberRoster::ColName), QStringLiteral("甲"));
    // The gap is counted from the newest id, so the next one in turn is applied again.
    QVERIFY(!roster_->applyNotice(noticeJson(6, {})).fullRefresh);
    QVERIFY(roster_->applyNotice(noticeJson(6, {})).fullRefresh);
  }

  void noticeThatIsNoJsonChangesNothing() {
    roster_->applyFullRoster({member("a", "甲")});
    roster_->applyNotice(noticeJson(9, {}));
    const MemberRoster::NoticeOutcome bad = roster_->applyNotice(QStringLiteral("{{{"));
    QVERIFY(!bad.fullRefresh && bad.fetch.isEmpty());
    QCOMPARE(roster_->lastNotifyId(), 9);
  }

  // The video routing reads names from the SDK's thread while answers rebuild the table.
  void readersOnAnotherThreadSeeWholeRows() {
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::atomic<int> reads{0};
    QThread *reader = QThread::create([&] {
      while (!stop) {
        const QString name = roster_->memberText("a", MemberRoster::ColName);
        const QString sort = roster_->memberText("a", MemberRoster::ColSort);
        if (!name.isEmpty() && name != QStringLiteral("甲") && name != QStringLiteral("甲甲"))
          ++torn;
        if (!sort.isEmpty() && sort != QStringLiteral("1") && sort != QStringLiteral("2"))
          ++torn;
        ++reads;
      }
    });
    reader->start();
    for (int i = 0; i < 300; ++i) {
      roster_->applyFullRoster({member("b", "乙", "0", i), member("a", i % 2 ? "甲" : "甲甲", "0", 1 + i % 2)});
      roster_->sortMembers();
      if (i % 3 == 0)
        roster_->applyFullRoster({});
    }
    stop = true;
    reader->wait();
    delete reader;
    QVERIFY(reads > 0);
    QCOMPARE(torn.load(), 0);
  }
};

QTEST_MAIN(TestRoster)
#include "test_roster.moc"
