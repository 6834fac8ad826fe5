#include "recordingwindow.h"

#include "messaging/messagesink.h"

RecordingWindow::RecordingWindow() {
  registerLiveMessageType();
  connect(this, &RecordingWindow::receiveMessage, this, &RecordingWindow::OnReceiveMessage);
}

void RecordingWindow::OnReceiveMessage(QString sender, std::vector<LiveMessage> *msgs) {
  const std::unique_ptr<LiveMessageList> owned = MessageSink::take(msgs);
  received.append({sender, *owned, QThread::currentThread()});
}
