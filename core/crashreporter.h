#pragma once
// Loader of the optional crash-reporter library. It is opened at run time; its ten entry
// points are resolved by name. Without a complete library the program runs on with a
// fallback handler that logs fatal signals.

#include "core/crashrecords.h"

#include <QByteArray>

using InitCrashRptFn = int (*)(CrashAppInfo *info, CrashHandlerSettings *settings, int ownProcess);
using SendReportFn = int (*)(void *exceptionInfo);
using IsReadyToExitFn = int (*)();
using SetCustomInfoFn = int (*)(const char16_t *key, const char16_t *value);
using AddUserInfoToReportFn = int (*)(const char16_t *key, const char16_t *value);
using RemoveUserInfoFromReportFn = int (*)(const char16_t *key);
using AddFileToReportFn = int (*)(const char16_t *path, const char16_t *description);
using RemoveFileFromReportFn = int (*)(const char16_t *path);
using GetVersionFromAppFn = int (*)(CrashAppInfo *info);
using GetVersionFromFileFn = int (*)(const char16_t *path, CrashAppInfo *info);

struct CrashEntryPoints {
  InitCrashRptFn InitCrashRpt = nullptr;
  SendReportFn SendReport = nullptr;
  IsReadyToExitFn IsReadyToExit = nullptr;
  SetCustomInfoFn SetCustomInfo = nullptr;
  AddUserInfoToReportFn AddUserInfoToReport = nullptr;
  RemoveUserInfoFromReportFn RemoveUserInfoFromReport = nullptr;
  AddFileToReportFn AddFileToReport = nullptr;
  RemoveFileFromReportFn RemoveFileFromReport = nullptr;
  GetVersionFromAppFn GetVersionFromApp = nullptr;
  GetVersionFromFileFn GetVersionFromFile = nullptr;
};

class CrashReporter {
public:
  static constexpr const char *kDefaultLibrary = "libcrashrpt.so";

  // Opens the library (the dynamic loader's search path, which for the program includes its
  // own folder) and resolves the entry points; without all ten, installs the fallback handler.
  explicit CrashReporter(const QByteArray &library = QByteArray(kDefaultLibrary));
  // Waits until the reporter is ready to exit, removes the fallback handler, closes the library.
  ~CrashReporter();
  CrashReporter(const CrashReporter &) = delete;
  CrashReporter &operator=(const CrashReporter &) = delete;

  bool loaded() const { return m_loaded; }
  bool handlerInstalled() const { return m_handlerInstalled; }
  const CrashEntryPoints &entryPoints() const { return m_entries; }

  // Arms the reporter. Returns whether InitCrashRpt returned non-zero; false without it.
  // A null settings record is replaced by a zeroed one with size and slot 2 = 1.
  bool initialize(CrashAppInfo *info, CrashHandlerSettings *settings, int ownProcess);

private:
  void resolveEntryPoints();
  void waitUntilReadyToExit();

  void *m_library = nullptr;
  CrashEntryPoints m_entries;
  bool m_loaded = false;
  bool m_handlerInstalled = false;
};
