// The page registry and the board-id rules it relies on.
#include "sdk/board/boardids.h"
#include "whiteboard/boardpageregistry.h"

#include <QtTest>

class TestBoardPages : public QObject {
  Q_OBJECT
private slots:
  void boardIdRules_data();
  void boardIdRules();
  void syncSortsBoardsIntoPlainPagesAndFiles();
  void plainPagesOutOfRangeAreEmpty();
  void removingPlainPages();
  void filePagesAndImages();
  void locateFallsBackToThePositionInTheFile();
  void addingUrlsToAKnownFileLogsMissingOnes();
};

void TestBoardPages::boardIdRules_data() {
  QTest::addColumn<QString>("id");
  QTest::addColumn<QString>("file");
  QTest::addColumn<uint>("page");
  QTest::newRow("default") << "#DEFAULT" << "#DEFAULT" << 0u;
  QTest::newRow("plain") << "k7n2#DEFAULT" << "#DEFAULT" << 0u;
  QTest::newRow("document") << "k7n5_3_#k7n4" << "#k7n4" << 3u;
  QTest::newRow("page 12") << "a_b_12_#doc" << "#doc" << 12u;
  QTest::newRow("page not digits") << "k_x3_#doc1" << "#doc1" << 0u;
  QTest::newRow("no hash") << "k7_3_" << "" << 0u;
  QTest::newRow("empty page") << "k7__#doc" << "#doc" << 0u;
  QTest::newRow("empty") << "" << "" << 0u;
  QTest::newRow("huge page") << "k_99999999999999_#d" << "#d" << 0u;
}

void TestBoardPages::boardIdRules() {
  QFETCH(QString, id);
  QFETCH(QString, file);
  QFETCH(uint, page);
  QCOMPARE(QString::fromStdString(board::fileOfBoard(id.toStdString())), file);
  QCOMPARE(board::pageOfBoard(id.toStdString()), page);
}

void TestBoardPages::syncSortsBoardsIntoPlainPagesAndFiles() {
  BoardPageRegistry pages;
  pages.sync({"#DEFAULT", "k1#DEFAULT", "k2_3_#doc1", "loose"});
  QCOMPARE(pages.plainCount(), 2u);
  QCOMPARE(pages.plainBoardAt(2), std::string("k1#DEFAULT"));
  QCOMPARE(pages.fileCountAndCurrent("#doc1"), std::make_pair(1u, 1u));
  QCOMPARE(pages.locate("k2_3_#doc1"), std::string("#doc1"));
  QCOMPARE(pages.fileCountAndCurrent("#doc1"), std::make_pair(1u, 3u));
  QCOMPARE(pages.locate("k1#DEFAULT"), std::string("#DEFAULT"));
  QCOMPARE(pages.plainCurrent(), 2u);
  QCOMPARE(pages.locate("#DEFAULT"), std::string("#DEFAULT"));
  QCOMPARE(pages.plainCurrent(), 1u);
  QCOMPARE(pages.locate("loose"), std::string());
  // Syncing again appends.
  pages.sync({"k3#DEFAULT"});
  QCOMPARE(pages.plainCount(), 3u);
}

void TestBoardPages::plainPagesOutOfRangeAreEmpty() {
  BoardPageRegistry pages;
  QCOMPARE(pages.plainBoardAt(1), std::string());
  pages.addPlainBoard("#DEFAULT");
  pages.addPlainBoard("a#DEFAULT");
  QCOMPARE(pages.plainCurrent(), 2u);
  QCOMPARE(pages.plainBoardAt(0), std::string());
  QCOMPARE(pages.plainBoardAt(3), std::string());
  QCOMPARE(pages.plainBoardAt(1), std::string("#DEFAULT"));
  QCOMPARE(pages.selectPlainBoard(3), std::string());
  QCOMPARE(pages.plainCurrent(), 2u);
  QCOMPARE(pages.selectPlainBoard(1), std::string("#DEFAULT"));
  QCOMPARE(pages.plainCurrent(), 1u);
}

void TestBoardPages::removingPlainPages() {
  BoardPageRegistry pages;
  for (const char *id : {"#DEFAULT", "b#DEFAULT", "c#DEFAULT", "d#DEFAULT"})
    pages.addPlainBoard(id);
  // The last page, current: the new last page becomes current.
  pages.removePlainPage(0);
  QCOMPARE(pages.plainCount(), 3u);
  QCOMPARE(pages.plainCurrent(), 3u);
  QCOMPARE(pages.plainBoardAt(3), std::string("c#DEFAULT"));
  // A middle page, current: the number stays and names the following page.
  pages.selectPlainBoard(2);
  pages.removePlainPage(0);
  QCOMPARE(pages.plainCurrent(), 2u);
  QCOMPARE(pages.plainBoardAt(2), std::string("c#DEFAULT"));
  // By number, before the current page: the current page keeps its board.
  pages.removePlainPage(1);
  QCOMPARE(pages.plainCurrent(), 1u);
  QCOMPARE(pages.plainBoardAt(1), std::string("c#DEFAULT"));
  pages.removePlainPage(5); // beyond: nothing
  QCOMPARE(pages.plainCount(), 1u);
}

void TestBoardPages::filePagesAndImages() {
  BoardPageRegistry pages;
  pages.addFile("#f", {L"u1", L"u2"}, {"a_1_#f", "a_2_#f", "a_3_#f"}, L"aaa.ppt");
  QCOMPARE(pages.fileCountAndCurrent("#f"), std::make_pair(3u, 1u));
  QCOMPARE(pages.fileBoardAt("#f", 2), std::string("a_2_#f"));
  QCOMPARE(pages.fileCountAndCurrent("#f"), std::make_pair(3u, 2u));
  QCOMPARE(pages.fileBoardAt("#f", 4), std::string());
  QCOMPARE(pages.fileCountAndCurrent("#f"), std::make_pair(3u, 2u));
  QCOMPARE(pages.boardUrl("#f", "a_2_#f"), std::wstring(L"u2"));
  QCOMPARE(pages.boardUrl("#f", "a_3_#f"), std::wstring());
  QCOMPARE(pages.boardUrl("#nope", "a_1_#f"), std::wstring());
  QCOMPARE(pages.fileCountAndCurrent("#nope"), std::make_pair(0u, 0u));
  pages.clear();
  QCOMPARE(pages.fileCountAndCurrent("#f"), std::make_pair(0u, 0u));
}

void TestBoardPages::locateFallsBackToThePositionInTheFile() {
  BoardPageRegistry pages;
  pages.addFileBoard("p_x_#g", "#g");
  pages.addFileBoard("q_y_#g", "#g");
  QCOMPARE(pages.locate("q_y_#g"), std::string("#g"));
  QCOMPARE(pages.fileCountAndCurrent("#g"), std::make_pair(2u, 2u));
}

void TestBoardPages::addingUrlsToAKnownFileLogsMissingOnes() {
  BoardPageRegistry pages;
  pages.sync({"a_1_#f", "a_2_#f"});
  QTest::ignoreMessage(QtDebugMsg, "TICSDK:urls size 1, board size 2");
  pages.addFile("#f", {L"u1"}, {}, L"");
  QCOMPARE(pages.boardUrl("#f", "a_1_#f"), std::wstring(L"u1"));
  QCOMPARE(pages.boardUrl("#f", "a_2_#f"), std::wstring());
}

QTEST_GUILESS_MAIN(TestBoardPages)
#include "test_boardpages.moc"
