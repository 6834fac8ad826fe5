#include "classroom/membertable.h"

#include "classroom/memberroster.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

namespace {

const int kHiddenAfterUpdate[] = {MemberRoster::ColUid, MemberRoster::ColSort,
                                  MemberRoster::ColDevice, MemberRoster::ColFullDevice,
                                  MemberRoster::ColRole, MemberRoster::ColOffline};

const char *const kHeaderStyle =
    "QHeaderView::section { background-color:#dddddd; } "
    "QHeaderView::section:checked { background-color:#dddddd; } "
    "QHeaderView::section:selected { background-color:#dddddd; }";

} // namespace

void MemberTable::attach(QTableView *view, MemberRoster *roster) {
  view->setModel(roster->model());
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::NoSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setSortingEnabled(true);
  view->setShowGrid(false);
  view->horizontalHeader()->hide();
  view->verticalHeader()->hide();
  view->horizontalHeader()->setStyleSheet(QString::fromLatin1(kHeaderStyle));
  for (int c = 0; c <= MemberRoster::ColName; ++c)
    view->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Fixed);
  view->setColumnWidth(MemberRoster::ColName, 250);
  for (int c = 0; c < MemberRoster::ColumnCount; ++c)
    view->setColumnHidden(c, c != MemberRoster::ColName);
  view->sortByColumn(MemberRoster::ColSort, Qt::AscendingOrder);
  QObject::connect(roster, &MemberRoster::rowsUpdated, view, [view] {
    for (int c : kHiddenAfterUpdate)
      view->setColumnHidden(c, true);
  });
}
