#pragma once
// What the device tests share: a stand-in classroom window (the host), and a class on an
// in-process hub with the process's live SDK signed in as the student, a teacher attached
// straight to the hub, the real toolbar and the delayed-operation timer wired as the window
// wires them.

#include "classroom/classdevices.h"
#include "messaging/classcommand.h"
#include "sdk/live/ilive.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <memory>

class Hub;
class HubTeacher;
class QtLiveToolBar;
class ToolBarControls;
class QtMessageBox;

class FakeHost : public ClassDevicesHost {
public:
  ClassStatus status = ClassDevices::kStatusListening;
  bool up = false;
  QString uid;
  QString master;
  QVariantMap settings; // currentSettings
  QVariantMap stored;   // what reloadSettings brings into currentSettings
  AudioHelper *helper = nullptr;
  QHash<QString, QString> names;
  QStringList systemMessages;
  QList<bool> network;
  int reapplied = 0;
  int reloads = 0;
  int ownTileRemovals = 0;
  int stageHides = 0;
  QWidget window;

  ClassStatus sessionStatus() const override { return status; }
  void reapplyStatus() override { ++reapplied; }
  bool cameraUp() const override { return up; }
  void setCameraUp(bool u) override { up = u; }
  QString userId() const override { return uid; }
  QString masterId() const override { return master; }
  QVariantMap currentSettings() override { return settings; }
  void reloadSettings() override;
  AudioHelper *audioHelper() override { return helper; }
  QString memberName(const QString &id) const override { return names.value(id); }
  void addSystemMessage(const QString &text) override { systemMessages.append(text); }
  void removeOwnTile() override { ++ownTileRemovals; }
  void setNetworkGood(bool good) override { network.append(good); }
  QWidget *tipParent() { return &window; }
  void showTip(const QString &title, const QString &text) override;
  void stageHidden() override { ++stageHides; }
};

// One class: hub, teacher, student SDK in the room, toolbar, timer, devices.
class DeviceClass {
public:
  static const QString kStudent;
  static const QString kTeacher;

  DeviceClass();
  ~DeviceClass();

  // Signs the student in and into the room, the teacher too. False (with a message) on failure.
  bool start(QString *why);

  FakeHost host;
  std::unique_ptr<QtLiveToolBar> toolBar;
  std::unique_ptr<ToolBarControls> controls;
  QTimer delayTimer;
  std::unique_ptr<ClassDevices> devices;
  // Every device-operation report of the SDK, (code, result), in arrival order.
  QList<QPair<int, int>> deviceOps;

  // Class commands the teacher received so far, one-to-one or from the group.
  QList<ClassCommand> teacherCommands(bool oneToOne) const;
  int teacherCount(bool oneToOne, ClassCommandCode code, const QString &param) const;

  // The tip boxes now open whose message is text.
  static QList<QtMessageBox *> tips(const QString &text);
  static void closeTips();

private:
  static void onDeviceOp(ilive::DeviceOperation op, int32_t result, void *data);
  std::unique_ptr<Hub> hub_;
  std::unique_ptr<HubTeacher> teacher_;
};
