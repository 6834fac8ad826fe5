#pragma once
// The records handed to the crash reporter's initialisation, in the reporter's own layout:
// plain structs, no constructors, so they can be process-lifetime statics. On a 32-bit build
// they have the reporter's sizes (36, 60 and 20 bytes); elsewhere the size field carries the
// size this platform lays them out with.

#include <QtGlobal>

struct CrashAppInfo {
  quint32 size;
  const char *appId;              // crash-reporting identifier, a GUID in 8-4-4-4-12 form
  const char *dumpNamePrefix;     // null: the reporter's default
  const char16_t *appName;
  const char16_t *company;
  quint16 version[4];
  quint16 hotfix;
  quint16 padding;
  const char16_t *privacyPolicyUrl;
};

struct CrashCrtHandlers {
  quint32 size;
  void *signalFunction;
  void *setTerminate;
  void *setInvalidParameterHandler; // null where the runtime has no such hook
  void *setPurecallHandler;         // null where the runtime has no such hook
};

// Fifteen 32-bit slots counted from 0: slot 0 is the record size, slot 14 the pointer to the
// runtime-handler record.
struct CrashHandlerSettings {
  quint32 field[14];
  CrashCrtHandlers *crtHandlers;
};

static_assert(sizeof(void *) != 4 || sizeof(CrashAppInfo) == 36, "reporter layout");
static_assert(sizeof(void *) != 4 || sizeof(CrashHandlerSettings) == 60, "reporter layout");
static_assert(sizeof(void *) != 4 || sizeof(CrashCrtHandlers) == 20, "reporter layout");

// The program's own values for both records.
CrashAppInfo makeCrashAppInfo();
CrashHandlerSettings makeCrashHandlerSettings();
