#include "classroom/memberroster.h"

#include "core/jsonhelpers.h"

#include <QDebug>
#include <QMutexLocker>
#include <QSet>
#include <QStandardItemModel>

MemberRoster::MemberRoster(QObject *parent)
    : QObject(parent), model_(new QStandardItemModel(0, ColumnCount, this)) {
  model_->setHorizontalHeaderItem(ColUid, new QStandardItem(QStringLiteral("id")));
  model_->setHorizontalHeaderItem(ColName, new QStandardItem(QStringLiteral("姓名")));
  model_->setSortRole(kSortRole);
}

MemberRoster::~MemberRoster() = default;

bool MemberRoster::statusForRole(const QString &role, QString *text) {
  if (role.isEmpty()) {
    *text = QString();
    return true;
  }
  bool number = false;
  const int value = role.toInt(&number);
  if (!number)
    return false;
  switch (value) {
  case 0:
    *text = QString();
    return true;
  case 1:
    *text = QStringLiteral("老师");
    return true;
  case 2:
    *text = QStringLiteral("连麦");
    return true;
  default:
    return false;
  }
}

int MemberRoster::rowCount() const {
  QMutexLocker lock(&mutex_);
  return model_->rowCount();
}

QStringList MemberRoster::memberIds() const {
  QMutexLocker lock(&mutex_);
  QStringList ids;
  for (int r = 0; r < model_->rowCount(); ++r)
    if (const QStandardItem *item = model_->item(r, ColUid))
      ids << item->text();
  return ids;
}

int MemberRoster::findRow(const QString &uid) const {
  for (int r = 0; r < model_->rowCount(); ++r) {
    const QStandardItem *item = model_->item(r, ColUid);
    if (item && item->text() == uid)
      return r;
  }
  return -1;
}

int MemberRoster::ensureRow(const QString &uid) {
  const int found = findRow(uid);
  if (found >= 0)
    return found;
  QList<QStandardItem *> cells;
  for (int c = 0; c < ColumnCount; ++c)
    cells << new QStandardItem;
  model_->appendRow(cells);
  return model_->rowCount() - 1;
}

void MemberRoster::setCell(int row, int column, const QString &text) {
  QStandardItem *item = model_->item(row, column);
  if (!item) {
    item = new QStandardItem;
    model_->setItem(row, column, item);
  }
  item->setText(text);
}

void MemberRoster::updateRow(const MemberRecord &m) {
  const int row = ensureRow(m.uid);
  setCell(row, ColUid, m.uid);
  setCell(row, ColName, m.name);
  setCell(row, ColDevice, m.device);
  setCell(row, ColOffline, m.offline);
  setCell(row, ColSort, QString::number(m.sort));
  model_->item(row, ColSort)->setData(m.sort, kSortRole);
  if (!m.fullDevice.isEmpty())
    setCell(row, ColFullDevice, m.fullDevice);
  QString status;
  if (statusForRole(m.role, &status))
    setCell(row, ColStatus, status);
  setCell(row, ColRole, m.role);
  emit rowsUpdated();
}

void MemberRoster::applyFullRoster(const QVariantList &idlist) {
  members_.clear();
  for (const QVariant &v : idlist)
    members_.append(MemberRecord::fromMap(v.toMap()));

  QSet<QString> listed;
  for (const MemberRecord &m : members_)
    listed.insert(m.uid);
  QMutexLocker lock(&mutex_);
  for (int r = model_->rowCount() - 1; r >= 0; --r) {
    const QStandardItem *item = model_->item(r, ColUid);
    if (!item || !listed.contains(item->text()))
      model_->removeRow(r);
  }
  for (const MemberRecord &m : members_)
    updateRow(m);
  lock.unlock();
  emit memberChanged();
}

void MemberRoster::applyMembers(const QVariantList &idlist) {
  qDebug("OnUpdateOneRoomMember:");
  for (int i = 0; i < idlist.size(); ++i) {
    const MemberRecord m = MemberRecord::fromMap(idlist.at(i).toMap());
    qDebug("idlist[%d]=%s name:%s", i, qUtf8Printable(m.uid), qUtf8Printable(m.name));
    QMutexLocker lock(&mutex_);
    updateRow(m);
  }
  if (!idlist.isEmpty())
    emit memberChanged();
}

MemberRoster::NoticeOutcome MemberRoster::applyNotice(const QString &json) {
  NoticeOutcome outcome;
  const QVariantMap notice = jsonToMap(json);
  if (notice.isEmpty())
    return outcome;
  const int id = notice.value(QStringLiteral("notify_id")).toInt();
  const bool gap = lastNotifyId_ > 0 && id != lastNotifyId_ + 1;
  lastNotifyId_ = id;
  if (gap) {
    outcome.fullRefresh = true;
    return outcome;
  }
  const QVariantList entries = notice.value(QStringLiteral("data")).toList();
  for (const QVariant &v : entries)
    applyNoticeEntry(v.toMap(), &outcome.fetch);
  if (!entries.isEmpty())
    emit memberChanged();
  return outcome;
}

// A notice entry writes what the full answer would: name, presence, status and stage columns.
void MemberRoster::applyNoticeEntry(const QVariantMap &entry, QStringList *fetch) {
  const QString uid = entry.value(QStringLiteral("uid")).toString();
  if (uid.isEmpty())
    return;
  QMutexLocker lock(&mutex_);
  const int row = findRow(uid);
  if (row < 0) {
    if (!fetch->contains(uid))
      fetch->append(uid);
    return;
  }
  if (entry.contains(QStringLiteral("name")))
    setCell(row, ColName, MemberRecord::cleanName(entry.value(QStringLiteral("name")).toString()));
  if (entry.contains(QStringLiteral("exit")))
    setCell(row, ColOffline, QString::number(entry.value(QStringLiteral("exit")).toInt()));
  if (entry.contains(QStringLiteral("role"))) {
    const QString role = entry.value(QStringLiteral("role")).toString();
    QString status;
    if (statusForRole(role, &status))
      setCell(row, ColStatus, status);
    setCell(row, ColRole, role);
  }
  emit rowsUpdated();
}

QString MemberRoster::memberText(const QString &uid, int column) const {
  if (leaving_)
    return QString();
  QMutexLocker lock(&mutex_);
  const int row = findRow(uid);
  if (row < 0)
    return QString();
  const QStandardItem *item = model_->item(row, column);
  return item ? item->text() : QString();
}

int MemberRoster::rowOfMember(const QString &uid) const {
  QMutexLocker lock(&mutex_);
  return findRow(uid);
}

void MemberRoster::setMemberColumn(const QString &uid, int column, const QString &text) {
  {
    QMutexLocker lock(&mutex_);
    const int row = findRow(uid);
    if (row < 0)
      return;
    setCell(row, column, text);
  }
  emit memberChanged();
}

void MemberRoster::sortMembers() {
  QMutexLocker lock(&mutex_);
  model_->sort(ColSort, Qt::AscendingOrder);
}
