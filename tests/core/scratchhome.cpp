#include "scratchhome.h"

#include <QDir>

ScratchHome::ScratchHome() {
  QDir().mkpath(configDir());
  QDir().mkpath(dataDir());
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(configDir()));
  qputenv("XDG_DATA_HOME", QFile::encodeName(dataDir()));
}

QString ScratchHome::configDir() const { return m_dir.path() + QStringLiteral("/config"); }
QString ScratchHome::dataDir() const { return m_dir.path() + QStringLiteral("/data"); }
