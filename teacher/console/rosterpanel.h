#pragma once
// The roster: every student with their state, a one-click answer to a raised hand, and the
// actions for the chosen student (call on stage, with the camera, take off stage, close the
// camera, reward with an amount and message, close or reopen the discussion for them).

#include <QWidget>

class ConsoleClass;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

class RosterPanel : public QWidget {
  Q_OBJECT
public:
  enum Column { Name, InClass, Hand, Stage, Camera, Microphone, Chat, ColumnCount };
  static constexpr int kDefaultReward = 10;

  explicit RosterPanel(ConsoleClass *klass, QWidget *parent = nullptr);

  // The chosen student's user id; empty when none is chosen.
  QString chosen() const;
  void choose(const QString &userId);
  int rowOf(const QString &userId) const;
  QTableWidget *table() const { return m_table; }

private:
  void refresh();
  void fillRow(int row);
  void updateActions();
  QPushButton *action(const char *objectName, const QString &text, void (RosterPanel::*slot)());
  void callOnStage();
  void callWithCamera();
  void takeOffStage();
  void closeCamera();
  void reward();
  void toggleChat();

  ConsoleClass *m_class;
  QTableWidget *m_table;
  QPushButton *m_stage, *m_stageCamera, *m_offStage, *m_cameraOff, *m_reward, *m_chat;
  QSpinBox *m_amount;
  QLineEdit *m_message;
};
