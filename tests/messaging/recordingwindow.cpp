#include "recordingwindow.h"

RecordingWindow::RecordingWindow() {
  registerLiveMessageType();
  connect(this, &RecordingWindow::receiveMessage, this, &RecordingWindow::OnReceiveMessage);
}

void RecordingWindow::OnReceiveMessage(QString sender, std::vector<LiveMessage> *msgs) {
  received.append({sender, *msgs, QThread::currentThread()});
  delete msgs;
}
