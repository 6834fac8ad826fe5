#pragma once
// Reads every message the IM library delivers, the way the program's message hook does, and
// keeps what it read for the test.

#include "sdk/im/imsdk.h"

#include <QList>
#include <QMutex>
#include <QString>

struct ReadElem {
  int type;
  QByteArray content; // text or custom data
  int faceIndex;
  QByteArray fileName;
};

struct ReadMessage {
  QString sender;
  uint32_t time;
  QList<ReadElem> elems;
  bool hasPush;
  QByteArray pushExt;
  int convType;
  QByteArray convPeer;
  bool onGuiThread;
  int batch; // which call of the callback delivered it
};

class ImRecorder {
public:
  ImRecorder();
  ~ImRecorder();
  QList<ReadMessage> take();
  int count() const;
  QList<QByteArray> files() const; // file data fetched so far
  bool overlapped() const { return m_overlap; }

private:
  static void onNewMessage(im::MessageHandle *msgs, uint32_t count, void *data);
  static void onFileData(const char *bytes, uint32_t length, void *data);
  ReadMessage read(im::MessageHandle msg);

  im::MessageCallback m_callback;
  mutable QMutex m_lock;
  QList<ReadMessage> m_messages;
  QList<QByteArray> m_files;
  int m_batches = 0;
  bool m_inside = false;
  bool m_overlap = false;
};
