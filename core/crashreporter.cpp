#include "core/crashreporter.h"

#include "core/crashplatform.h"

namespace {

template <class Fn> void bind(Fn &slot, void *library, const char *name) {
  slot = reinterpret_cast<Fn>(crashplatform::resolve(library, name));
}

} // namespace

CrashReporter::CrashReporter(const QByteArray &library) {
  m_library = crashplatform::openLibrary(library.constData());
  if (m_library) resolveEntryPoints();
  if (!m_loaded) m_handlerInstalled = crashplatform::installFallbackHandler();
}

CrashReporter::~CrashReporter() {
  waitUntilReadyToExit();
  if (m_handlerInstalled) crashplatform::removeFallbackHandler();
  if (m_library) crashplatform::closeLibrary(m_library);
}

void CrashReporter::resolveEntryPoints() {
  CrashEntryPoints &e = m_entries;
  bind(e.InitCrashRpt, m_library, "InitCrashRpt");
  bind(e.SendReport, m_library, "SendReport");
  bind(e.IsReadyToExit, m_library, "IsReadyToExit");
  bind(e.SetCustomInfo, m_library, "SetCustomInfo");
  bind(e.AddUserInfoToReport, m_library, "AddUserInfoToReport");
  bind(e.RemoveUserInfoFromReport, m_library, "RemoveUserInfoFromReport");
  bind(e.AddFileToReport, m_library, "AddFileToReport");
  bind(e.RemoveFileFromReport, m_library, "RemoveFileFromReport");
  bind(e.GetVersionFromApp, m_library, "GetVersionFromApp");
  bind(e.GetVersionFromFile, m_library, "GetVersionFromFile");
  m_loaded = e.InitCrashRpt && e.SendReport && e.IsReadyToExit && e.SetCustomInfo &&
             e.AddUserInfoToReport && e.RemoveUserInfoFromReport && e.AddFileToReport &&
             e.RemoveFileFromReport && e.GetVersionFromApp && e.GetVersionFromFile;
}

bool CrashReporter::initialize(CrashAppInfo *info, CrashHandlerSettings *settings, int ownProcess) {
  if (!m_entries.InitCrashRpt) return false;
  CrashHandlerSettings ownSettings{};
  if (!settings) {
    ownSettings.field[0] = sizeof(CrashHandlerSettings);
    ownSettings.field[2] = 1;
    settings = &ownSettings;
  }
  CrashCrtHandlers crt = crashplatform::runtimeHandlers();
  const bool pointedAtOurs = settings->crtHandlers == nullptr;
  if (pointedAtOurs) settings->crtHandlers = &crt;
  const int result = m_entries.InitCrashRpt(info, settings, ownProcess);
  // The runtime-handler record lives only for this call; a long-lived settings record must
  // not keep pointing at it.
  if (pointedAtOurs) settings->crtHandlers = nullptr;
  return result != 0;
}

void CrashReporter::waitUntilReadyToExit() {
  if (!m_entries.IsReadyToExit) return;
  while (m_entries.IsReadyToExit() == 0) crashplatform::sleepMilliseconds(100);
}
