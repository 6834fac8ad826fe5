#pragma once
// Who and where, for the whiteboard: what the classroom hands the window from the class
// credentials, and the document-preview address.

#include <QString>

#include <cstdint>
#include <string>

struct BoardClassData {
  QString userId;
  QString userSig;
  uint32_t appId = 0;
  uint32_t accountType = 0;
  int roomId = 0;
  // The class group board data is sent to; the student client leaves it empty (view only).
  std::string groupId;
  QString previewUrl; // document pages are <previewUrl>/<file>?cmd=doc_preview&of=pic&page=N
  QString serviceUrl; // the class service's backend, which keeps the room's whiteboard history
  QString storageUrl; // background images come only from here and from previewUrl

  // The deployment's preview and backend addresses filled in; who and where are the caller's.
  static BoardClassData fromDeployment();
};
