#pragma once
// A student driven by a test: its own HubClient (in-process or over a WebSocket), recording
// every class command that reaches it as it arrived on the wire, the video frames per source
// and the teacher's stream notices.

#include "protocol/classcommandcode.h"
#include "sdk/media/streamdecoders.h"
#include "sdk/net/hubclient.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

class Hub;

struct SeenCommand {
  QString from;
  int code = 0;
  QString param;
  bool direct = false; // one-to-one, not to the group
  QByteArray data;     // the custom element's data as sent
  QString ext;
};

class HubStudent {
public:
  HubStudent(Hub *hub, const QString &userId);                           // in-process
  HubStudent(std::unique_ptr<sdk::HubTransport> transport, const QString &userId);

  // Each waits for the hub's answer; the hub's code (0 = done, -1 = no answer in time).
  int login(const QByteArray &secret);
  int join(quint32 roomId); // with a listener's room grant made with the sign-in's secret
  int sendCommand(const QString &to, ClassCommandCode code, const QString &param); // to empty = the group
  int requestStream(const QString &owner, hubproto::Source source);
  int changeRole(const QString &role);

  QList<SeenCommand> commands;
  QList<ClassCommandCode> codes() const;
  // The first command with this code after index from; null when none.
  const SeenCommand *find(ClassCommandCode code, int from = 0) const;
  bool waitForCode(ClassCommandCode code, int ms = 5000) const;

  int frames(hubproto::Source source) const; // as they came (encoded)
  // The last picture of that source decoded, as an I420 frame.
  hubproto::MediaFrame lastFrame(hubproto::Source source) const;
  bool sawStream(const QString &owner, hubproto::Source source) const;

  sdk::HubClient client;
  QString userId;
  quint32 roomId = 0;

private:
  void record(const hubproto::ImMessage &m);
  int call(std::function<void(sdk::HubReplyFn)> fn);

  QByteArray m_secret;
  media::StreamDecoders m_decoders;
  QList<hubproto::MediaFrame> m_lastFrames;
  QList<int> m_frameCounts{0, 0, 0, 0};
  QList<QPair<QString, int>> m_streams; // (owner, source) seen on
};
