#pragma once
// The class's members as the backend reports them, shown in the member table: one row per
// member of a standard item model, keyed by the uid in column 0.
//
//   column  0 uid   1 status text ("老师", "连麦" or empty)   2 name (the only one shown)
//           5 device   6 role text / stage mark ("2" on, "0" off)   9 offline
//          11 sort value as text (ordered by its number)   12 full device
//
// Row updates and reads take the roster mutex: the video routing reads names and stage marks
// from the live SDK's thread. Everything else runs on the GUI thread.

#include "classroom/memberrecord.h"

#include <QList>
#include <QObject>
#include <QRecursiveMutex>
#include <QStringList>
#include <QVariantList>
#include <atomic>

class QStandardItemModel;

class MemberRoster : public QObject {
  Q_OBJECT
public:
  enum Column {
    ColUid = 0,
    ColStatus = 1,
    ColName = 2,
    ColDevice = 5,
    ColRole = 6,
    ColOffline = 9,
    ColSort = 11,
    ColFullDevice = 12,
    ColumnCount = 13
  };
  // Column 11 keeps the sort value as text and, under this role, as a number to sort by.
  static constexpr int kSortRole = Qt::UserRole + 1;

  // What a roster notice asks of the backend.
  struct NoticeOutcome {
    bool fullRefresh = false; // a notice went missing: fetch the whole roster (is_addition 1)
    QStringList fetch;        // members the table does not know yet
  };

  explicit MemberRoster(QObject *parent = nullptr);
  ~MemberRoster() override;

  QStandardItemModel *model() const { return model_; }
  // Once leaving, lookups answer empty.
  void setLeaving() { leaving_ = true; }

  // A full "room_user" answer: the members list is replaced, rows of members no longer listed
  // are removed, the others updated in list order.
  void applyFullRoster(const QVariantList &idlist);
  // A "one_room_user" answer: each listed member's row is updated (or added).
  void applyMembers(const QVariantList &idlist);
  // A roster notice (the JSON text of command 2109).
  NoticeOutcome applyNotice(const QString &json);

  // Any thread.
  QString memberText(const QString &uid, int column) const;
  int rowOfMember(const QString &uid) const;
  // Writes one cell of the member's row (nothing when the member has no row), then emits
  // memberChanged().
  void setMemberColumn(const QString &uid, int column, const QString &text);

  // Orders the rows by the number of their sort value, ascending.
  void sortMembers();

  QList<MemberRecord> members() const { return members_; }
  int lastNotifyId() const { return lastNotifyId_; }
  int rowCount() const;
  // The uids of every row, whichever answer or notice wrote it.
  QStringList memberIds() const;

  // The status text of column 1 for a role; false when the role leaves the text unchanged.
  static bool statusForRole(const QString &role, QString *text);

signals:
  void memberChanged();
  // Rows were written from a backend answer or a notice (the table re-hides its columns).
  void rowsUpdated();

private:
  int findRow(const QString &uid) const; // lock held
  int ensureRow(const QString &uid);     // lock held
  void setCell(int row, int column, const QString &text);
  void updateRow(const MemberRecord &m); // lock held
  void applyNoticeEntry(const QVariantMap &entry, QStringList *fetch);

  QStandardItemModel *model_;
  mutable QRecursiveMutex mutex_;
  QList<MemberRecord> members_;
  int lastNotifyId_ = 0;
  std::atomic<bool> leaving_{false};
};
