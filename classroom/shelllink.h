#pragma once
// The classroom's way to the shell window, which sits above this library: its invokable
// methods, called by name on core's shellWindow(). Without a shell window (or without the
// method) a call does nothing and answers the default; the answer says whether it ran.

#include <QString>
#include <QVariantMap>

class AudioHelper;

class ShellLink {
public:
  // leaveClass(bool ask); false when there is no shell to ask.
  static bool leaveClass(bool ask);
  static void setMyName(const QString &name);
  static void loadSetting();
  static QVariantMap currentSettings();
  static AudioHelper *audioHelper();
  // The title bar's network indicator ("网络良好" / "网络糟糕").
  static void setNetworkGood(bool good);
};
