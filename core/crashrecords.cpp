#include "core/crashrecords.h"

CrashAppInfo makeCrashAppInfo() {
  CrashAppInfo info{};
  info.size = sizeof(CrashAppInfo);
  info.appId = "5d3c9a17-0e42-4b8f-a6d1-93c27e4f0b58";
  info.dumpNamePrefix = nullptr;
  info.appName = u"Tarnwick";
  info.company = u"quorvel"; // the executable's file name
  info.version[0] = 3;
  info.version[1] = 7;
  info.version[2] = 5;
  info.version[3] = 10208;
  info.hotfix = 0;
  info.privacyPolicyUrl = nullptr;
  return info;
}

CrashHandlerSettings makeCrashHandlerSettings() {
  CrashHandlerSettings settings{};
  settings.field[0] = sizeof(CrashHandlerSettings);
  settings.field[1] = 1;
  settings.field[5] = 1;
  settings.crtHandlers = nullptr;
  return settings;
}
