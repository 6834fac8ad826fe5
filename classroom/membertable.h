#pragma once
// The member table of the classroom window: the roster's model in a table view that shows only
// the names, in the roster's order, and keeps its other columns hidden after every update.

class MemberRoster;
class QTableView;

class MemberTable {
public:
  static void attach(QTableView *view, MemberRoster *roster);
};
