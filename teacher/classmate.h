#pragma once
// A scripted classmate on stage: its own connection to the class hub, in the room as a listener
// until the teacher grants it the stage, then with the stage role, publishing the test-pattern
// camera until it is deleted (the connection closes, and the hub takes it out of the room). The teacher's scenario brings
// classmates in so that the stage strip has more than one tile.

#include "sdk/net/hubtransport.h"
#include "teacher/teachercredentials.h"
#include "teacher/teachersession.h"

#include <QObject>
#include <functional>

class StreamPublisher;

class Classmate : public QObject {
  Q_OBJECT
public:
  // problem is empty once the camera is published and its frames flow.
  using Ready = std::function<void(const QString &problem)>;
  // The teacher's side: grants userId the stage, then calls done.
  using Grant = std::function<void(const QString &userId, TeacherSession::Done done)>;

  Classmate(sdk::HubTransportFactory transports, QObject *parent = nullptr);

  void join(const TeacherCredentials &credentials, quint32 roomId, int fps, Grant grant, Ready ready);
  QString userId() const { return m_session.userId(); }

private:
  void goOnStage(int fps, Ready ready);
  void publishCamera(int fps, Ready ready);

  TeacherSession m_session;
  StreamPublisher *m_camera = nullptr;
};
