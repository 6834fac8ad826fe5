#pragma once
// Stands in for the classroom window: the receiveMessage signal queued (automatic
// connection) to OnReceiveMessage, which records and frees each delivered list.

#include "messaging/livemessage.h"

#include <QList>
#include <QObject>
#include <QThread>

struct ReceivedMessage {
  QString sender;
  LiveMessageList records;
  QThread *thread = nullptr;
};

class RecordingWindow : public QObject {
  Q_OBJECT
public:
  RecordingWindow();
  QList<ReceivedMessage> received;

signals:
  void receiveMessage(QString sender, std::vector<LiveMessage> *msgs);

public slots:
  void OnReceiveMessage(QString sender, std::vector<LiveMessage> *msgs);
};
