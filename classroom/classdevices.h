#pragma once
// The student's microphone, speaker and camera during a class, driven through the live SDK.
//
// Each device opens with the choice stored in the local settings ("mic", "speaker",
// "camera_index": positions in the SDK's device list); a missing or stale choice shows the
// device's tip instead. A settings change from the shell closes the device and queues its
// re-open on the classroom's delayed-operation timer: every queue (re)starts the timer, so
// changes that come close together all run, in order, on one firing. The toolbar follows
// what the SDK reports through its device-operation callback, never the calls themselves.
//
// The session owns the timer and hands it in with the window's controls; it reaches this
// object from its slots of the same names. GUI thread only.

#include "classroom/classstatus.h"
#include "protocol/classcommandcode.h"
#include "sdk/live/ilivetypes.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <string>

class AudioHelper;
class ClassControls;
class QTimer;

// What the devices need of the classroom window.
class ClassDevicesHost {
public:
  virtual ~ClassDevicesHost() = default;
  virtual ClassStatus sessionStatus() const = 0;
  virtual void reapplyStatus() = 0; // setStatus with the current status
  virtual bool cameraUp() const = 0;
  virtual void setCameraUp(bool up) = 0;
  virtual QString userId() const = 0;
  virtual QString masterId() const = 0;
  virtual QVariantMap currentSettings() = 0; // the shell's map
  virtual void reloadSettings() = 0;         // the shell's loadSetting
  virtual AudioHelper *audioHelper() = 0;    // the shell's audio helper; may be null
  virtual QString memberName(const QString &uid) const = 0; // roster column 2; empty if unknown
  virtual void addSystemMessage(const QString &text) = 0;
  virtual void removeOwnTile() = 0;
  virtual void setNetworkGood(bool good) = 0;
  // A device tip (title, text) over the classroom window.
  virtual void showTip(const QString &title, const QString &text) = 0;
  // "hide_up" was switched on (already in currentSettings). The video routing detaches
  // student tiles as their frames arrive; a window may also tidy its stage strip at once.
  virtual void stageHidden() {}
};

class ClassDevices : public QObject {
  Q_OBJECT
public:
  static constexpr ClassStatus kStatusListening = ClassStatus::Listening;
  static constexpr ClassStatus kStatusOnStage = ClassStatus::OnStage;
  static constexpr int kReopenDelayMs = 500;
  static constexpr ClassCommandCode kCmdMicLevel = ClassCommandCode::MicClosed;
  static constexpr ClassCommandCode kCmdCameraClosed = ClassCommandCode::CameraClosed;
  static constexpr quint16 kMaxGoodLossRate = 1000;

  static const char *const kOpenMic;     // "openMic"
  static const char *const kOpenSpeaker; // "openSpeaker"
  static const char *const kOpenCamera;  // "openCamera"
  static const char *const kEnterLive;   // "EnterLive" (then ":" and a member's id)

  ClassDevices(ClassDevicesHost *host, ClassControls *controls, QTimer *delayTimer, QObject *parent);

  const QStringList &pendingOperations() const { return m_pending; }

public slots:
  // True when the open was started; its outcome comes through onDeviceOperation.
  bool openMicWithSettings();
  void openSpeakerWithSettings();
  bool openCamera();

  void closeMic(); // also tells the teacher the speaking level is 0 (2055 "0")
  void closeSpeaker();
  void closeCamera();
  // Closes the camera for good: cameraUp off, 2106 to the class, own tile and stage camera off.
  void disableCamera();

  void reopenMic();    // on stage only
  void reopenSpeaker();
  void reopenCamera(); // only while the camera is published

  // Changes the shell has already stored.
  void setMic(int index, int value);
  void setMicVol(int index, int value);
  void setSpeaker(int index, int value);
  void setSpeakerVol(int index, int value);
  void setCamera(int index);
  void setDisableCamera(bool disable);
  void setHideUp(bool hide);

  // The toolbar's pop-up sliders (0..100).
  void onHsMicVol(int value);
  void onHsSpeakerVol(int value);

  // Appends the entry and (re)starts the delayed-operation timer with delayMs.
  void queueOperation(const QString &entry, int delayMs);
  // The delayed-operation timer fired: stops it and runs every queued entry, oldest first.
  void runPendingOperations();

  // The live SDK's device-operation report (codes 5 to 8; others and failures are ignored).
  void onDeviceOperation(int operationCode, int resultCode);
  // The room's quality report; loss rates in 1/10000.
  void onQuality(quint16 lossRateSend, quint16 lossRateRecv);

  // Plays ":/res/Resources/" + fileName on the chosen speaker at the chosen volume.
  void playClassSound(const QString &fileName);
  void micTest(int micIndex, int speakerIndex, int micVol, int speakerVol);
  void speakerTest(int index, int value);
  void stopMicTest();
  void stopSpeakerTest();

  // Once at the window's construction: reload the settings, put the volumes on the sliders.
  void initVolumes();

private:
  struct Kind;
  bool openWithSettings(const Kind &kind);
  // The SDK id of the stored choice; empty when it fits no listed device.
  std::string deviceId(const Kind &kind, const ilive::Vector<ilive::Pair<ilive::String, ilive::String>> &devices,
                       int index) const;
  void runOperation(const QString &entry);
  void welcome(const QString &entry);
  void setMicVolume(int value);
  void setSpeakerVolume(int value);

  ClassDevicesHost *m_host;
  ClassControls *m_controls;
  QTimer *m_delayTimer;
  QStringList m_pending;
};
