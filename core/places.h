#pragma once
// Where a program of the project finds its files and keeps the user's: the one rule for every
// place, for the client, the local service and the teacher.
//
// Run from the build folder (the executable anywhere but an installation), everything stays
// beside the executable: the shipped files (faces, documents), deployment.ini and the folder
// "log/". Installed, the executable lies in "<prefix>/lib/tarnwick", where nothing may be
// written: shipped files come from "<prefix>/share/tarnwick", deployment.ini from
// "/etc/tarnwick" ("<prefix>/etc/tarnwick" for a prefix other than "/usr"; a root that holds
// "<root>/usr" keeps "<root>/etc"), and the user's files follow the XDG base folders:
// state for the log, cache for the browser cache.
// In both, the settings and the password key sit in "<XDG config>/brannock" and the browser's
// cache run from the build folder stays in the user's data folder, as they always did.

#include <QString>

class Places {
public:
  // The places of a program whose executable lies in programDir (an absolute path).
  explicit Places(const QString &programDir);
  // The places of this process: from the running executable's folder while the application
  // object exists, else from the current folder.
  static Places current();

  bool installed() const { return m_installed; }
  // The executable's folder: the client itself (restart) and the upgrade program.
  QString programDir() const { return m_programDir; }
  // Read-only files shipped with the programs: "png/emoji/", "documents/".
  QString sharedDataDir() const;
  // The folder of deployment.ini.
  QString deploymentDir() const;
  // The folder that holds "log/".
  QString logBaseDir() const;
  // The embedded browser's cache ("<...>/cefcache"); names the application, so it needs the
  // application object for the right name.
  QString browserCacheDir() const;
  // The user's own files: the settings "quorvel.ini" and the password key "quorvel.key".
  static QString userConfigDir();

  // The installed form's parts of a path, exposed for the package layout.
  static constexpr char kProgramSubdir[] = "lib/tarnwick";
  static constexpr char kSharedSubdir[] = "share/tarnwick";
  static constexpr char kConfigSubdir[] = "etc/tarnwick";

private:
  static QString stateHome();

  QString m_programDir;
  QString m_prefix; // installed only: "<prefix>" of "<prefix>/lib/tarnwick"
  bool m_installed = false;
};
