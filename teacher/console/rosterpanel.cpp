#include "teacher/console/rosterpanel.h"

#include "teacher/console/consoleclass.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr int kMaxReward = 1000;
constexpr int kHandColumnWidth = 56; // room for the answer button

QString mark(bool on, const QString &text) { return on ? text : QString(); }

QString handButtonName(const QString &userId) { return QStringLiteral("btnAnswer_") + userId; }
} // namespace

RosterPanel::RosterPanel(ConsoleClass *klass, QWidget *parent) : QWidget(parent), m_class(klass) {
  m_table = new QTableWidget(0, ColumnCount, this);
  m_table->setObjectName(QStringLiteral("tableRoster"));
  m_table->setHorizontalHeaderLabels({QStringLiteral("学生"), QStringLiteral("在线"), QStringLiteral("举手"),
                                      QStringLiteral("连麦"), QStringLiteral("摄像头"), QStringLiteral("麦克风"),
                                      QStringLiteral("发言")});
  m_table->verticalHeader()->hide();
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setSelectionMode(QAbstractItemView::SingleSelection);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  m_table->horizontalHeader()->setSectionResizeMode(Name, QHeaderView::Stretch);
  m_table->horizontalHeader()->setSectionResizeMode(Hand, QHeaderView::Fixed);
  m_table->setColumnWidth(Hand, kHandColumnWidth);
  m_table->verticalHeader()->setDefaultSectionSize(30);

  m_stage = action("btnCallOnStage", QStringLiteral("上台"), &RosterPanel::callOnStage);
  m_stageCamera = action("btnCallWithCamera", QStringLiteral("上台并开摄像头"), &RosterPanel::callWithCamera);
  m_offStage = action("btnTakeOffStage", QStringLiteral("下台"), &RosterPanel::takeOffStage);
  m_cameraOff = action("btnCloseCamera", QStringLiteral("关闭摄像头"), &RosterPanel::closeCamera);
  m_chat = action("btnMuteChat", QStringLiteral("禁止发言"), &RosterPanel::toggleChat);
  m_reward = action("btnReward", QStringLiteral("奖励"), &RosterPanel::reward);
  m_amount = new QSpinBox(this);
  m_amount->setObjectName(QStringLiteral("spinRewardAmount"));
  m_amount->setRange(1, kMaxReward);
  m_amount->setValue(kDefaultReward);
  m_amount->setSuffix(QStringLiteral(" 金币"));
  m_message = new QLineEdit(QStringLiteral("恭喜[receiver_name]获得老师的奖励！"), this);
  m_message->setObjectName(QStringLiteral("editRewardMessage"));

  auto *actions = new QGridLayout;
  actions->addWidget(m_stage, 0, 0);
  actions->addWidget(m_stageCamera, 0, 1);
  actions->addWidget(m_offStage, 0, 2);
  actions->addWidget(m_cameraOff, 1, 0);
  actions->addWidget(m_chat, 1, 1);
  actions->addWidget(m_reward, 1, 2);
  auto *rewardRow = new QHBoxLayout;
  rewardRow->addWidget(m_amount);
  rewardRow->addWidget(m_message, 1);

  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(m_table, 1);
  column->addLayout(actions);
  column->addLayout(rewardRow);

  connect(&klass->roster(), &ConsoleRoster::changed, this, &RosterPanel::refresh);
  connect(m_table, &QTableWidget::itemSelectionChanged, this, &RosterPanel::updateActions);
  refresh();
}

QPushButton *RosterPanel::action(const char *objectName, const QString &text, void (RosterPanel::*slot)()) {
  auto *b = new QPushButton(text, this);
  b->setObjectName(QLatin1String(objectName));
  connect(b, &QPushButton::clicked, this, slot);
  return b;
}

QString RosterPanel::chosen() const {
  const auto rows = m_table->selectionModel()->selectedRows();
  if (rows.isEmpty())
    return QString();
  return m_table->item(rows.first().row(), Name)->data(Qt::UserRole).toString();
}

int RosterPanel::rowOf(const QString &userId) const {
  for (int r = 0; r < m_table->rowCount(); ++r)
    if (m_table->item(r, Name)->data(Qt::UserRole).toString() == userId)
      return r;
  return -1;
}

void RosterPanel::choose(const QString &userId) {
  const int row = rowOf(userId);
  if (row >= 0)
    m_table->selectRow(row);
}

void RosterPanel::refresh() {
  const QString was = chosen();
  const int count = m_class->roster().students().size();
  m_table->setRowCount(count);
  for (int r = 0; r < count; ++r)
    fillRow(r);
  if (!was.isEmpty())
    choose(was);
  updateActions();
}

void RosterPanel::fillRow(int row) {
  const StudentState s = m_class->roster().students().at(row);
  const QStringList texts{s.shownName(),
                          s.inClass ? QStringLiteral("在线") : QStringLiteral("离开"),
                          mark(s.handRaised, QStringLiteral("举手")),
                          mark(s.onStage, QStringLiteral("连麦")),
                          mark(s.camera, QStringLiteral("开")),
                          mark(s.microphone, QStringLiteral("开")),
                          s.chatMuted ? QStringLiteral("禁言") : QString()};
  for (int c = 0; c < ColumnCount; ++c) {
    auto *item = new QTableWidgetItem(texts.at(c));
    item->setTextAlignment(c == Name ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    if (!s.inClass)
      item->setForeground(QColor(0x99, 0x99, 0x99));
    m_table->setItem(row, c, item);
  }
  m_table->item(row, Name)->setData(Qt::UserRole, s.userId);
  m_table->removeCellWidget(row, Hand);
  if (s.handRaised && s.inClass) {
    // A raised hand is answered with one click: the student is called on stage.
    auto *answer = new QPushButton(QStringLiteral("应答"), m_table);
    answer->setObjectName(handButtonName(s.userId));
    answer->setStyleSheet(QStringLiteral("background: #ffb400; color: white; border-radius: 4px; padding: 2px 6px;"));
    const QString userId = s.userId;
    connect(answer, &QPushButton::clicked, this, [this, userId] { m_class->callOnStage(userId, false); });
    m_table->setCellWidget(row, Hand, answer);
  }
}

void RosterPanel::updateActions() {
  const StudentState *s = m_class->roster().find(chosen());
  const bool here = s && s->inClass;
  m_stage->setEnabled(here && !s->onStage);
  m_stageCamera->setEnabled(here && !s->camera);
  m_offStage->setEnabled(here && s->onStage);
  m_cameraOff->setEnabled(here && s->camera);
  m_reward->setEnabled(here);
  m_chat->setEnabled(here);
  m_chat->setText(s && s->chatMuted ? QStringLiteral("允许发言") : QStringLiteral("禁止发言"));
}

void RosterPanel::callOnStage() { m_class->callOnStage(chosen(), false); }
void RosterPanel::callWithCamera() { m_class->callOnStage(chosen(), true); }
void RosterPanel::takeOffStage() { m_class->takeOffStage(chosen()); }
void RosterPanel::closeCamera() { m_class->closeCamera(chosen()); }
void RosterPanel::reward() { m_class->reward(chosen(), m_amount->value(), m_message->text()); }

void RosterPanel::toggleChat() {
  const StudentState *s = m_class->roster().find(chosen());
  if (s)
    m_class->setChatMuted(s->userId, !s->chatMuted);
}
