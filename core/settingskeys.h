#pragma once
// The keys of the per-user settings file and of the shell's in-memory settings map. Every
// reader and writer names them from here.

#include <QString>

namespace settingskeys {

// Sign-in
inline const QString kPhone = QStringLiteral("phone");
inline const QString kPassword = QStringLiteral("password");
inline const QString kEncrypt = QStringLiteral("encrypt");

// Microphone
inline const QString kMic = QStringLiteral("mic");
inline const QString kMicName = QStringLiteral("mic_name");
inline const QString kUseDefaultMic = QStringLiteral("use_default_mic");
inline const QString kMicVol = QStringLiteral("mic_vol");

// Speaker
inline const QString kSpeaker = QStringLiteral("speaker");
inline const QString kSpeakerName = QStringLiteral("speaker_name");
inline const QString kUseDefaultSpeaker = QStringLiteral("use_default_speaker");
inline const QString kSpeakerVol = QStringLiteral("speaker_vol");

// Camera and the two switches
inline const QString kCameraIndex = QStringLiteral("camera_index");
inline const QString kCameraName = QStringLiteral("camera_name");
inline const QString kDisableCamera = QStringLiteral("disable_camera");
inline const QString kHideUp = QStringLiteral("hide_up");

} // namespace settingskeys
