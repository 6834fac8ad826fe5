#pragma once
// What the SDK tests share: a recorder for the live SDK's plain callbacks, and a participant
// (the teacher) driven by the test through a HubClient on the test's thread.

#include "sdk/live/ilive.h"
#include "sdk/media/streamdecoders.h"
#include "sdk/media/streamencoders.h"
#include "sdk/net/hubclient.h"

#include <QHash>
#include <QMutex>
#include <QThread>
#include <QVector>

#include <atomic>

extern const QByteArray kSdkTestSecret;

// One answer of a live SDK call.
struct Answer {
  bool done = false;
  bool ok = false;
  int code = 0;
  QString module;
  QString desc;
  uint64_t channel = 0;
  bool onGuiThread = false;
};

// Collects answers and callbacks; every static function takes the recorder as user pointer.
class Recorder {
public:
  Answer answer;
  void reset() { answer = Answer(); }
  bool wait(int ms = 10000);

  static void succ(void *data);
  static void err(const char *module, int code, const char *desc, void *data);
  static void pushSucc(uint64_t channel, void *data);

  // Room and device callbacks.
  struct Member {
    ilive::MemberEvent event;
    QStringList ids;
  };
  QList<Member> members;
  QList<QPair<int, int>> deviceOps; // (operation, result)
  int lost = 0;
  QString lostText;
  int qualityReports = 0;
  ilive::QualityReport lastQuality;
  bool callbacksOnGui = true;
  static void memberStatus(ilive::MemberEvent event, const ilive::Vector<ilive::String> &ids, void *data);
  static void deviceOp(ilive::DeviceOperation op, int32_t result, void *data);
  static void connectionLost(int32_t reason, const char *text, void *data);
  static void quality(const ilive::QualityReport &report, void *data);
  bool sawMember(ilive::MemberEvent event, const QString &id) const;
};

// Frames seen by a video callback (called on the SDK's media thread).
class FrameRecorder {
public:
  struct Seen {
    QByteArray identifier;
    int format;
    int width;
    int height;
    int source;
    QByteArray data;
    bool onGuiThread;
  };
  static void onFrame(const ilive::LiveVideoFrame *frame, void *data);
  int count() const;
  Seen last() const;
  void clear();

private:
  mutable QMutex m_lock;
  QList<Seen> m_seen;
};

// A participant on the test's thread.
class Teacher {
public:
  explicit Teacher(std::unique_ptr<sdk::HubTransport> transport);
  sdk::HubReply call(std::function<void(sdk::HubClient &, sdk::HubReplyFn)> fn);
  int login(const QString &userId);
  int join(quint32 roomId, const QString &role = QStringLiteral("LiveMaster")); // with a grant for that role
  int grantStage(const QString &userId);
  QString publish(hubproto::Source source);
  // Encodes the picture as a publisher does; a keyframe request is answered at once with the
  // source's last picture.
  void sendFrame(hubproto::Source source, const QByteArray &i420, int width, int height);
  QList<hubproto::ImMessage> messages;
  QList<hubproto::MediaFrame> frames;   // as they came (encoded)
  QList<hubproto::MediaFrame> pictures; // the video frames decoded, as I420
  QList<QPair<QString, QString>> memberEvents; // (event, user)
  QList<QPair<QString, bool>> streamEvents;    // (source name, on)
  sdk::HubClient client;

private:
  QString m_userId;
  media::StreamEncoders m_encoders;
  media::StreamDecoders m_decoders;
  QHash<int, hubproto::MediaFrame> m_lastPicture; // by source
};

QString testSig(const QString &userId, qint64 lifetime = 3600);
// The room grant the service would hand out for userId, roomId and role.
QString testGrant(const QString &userId, quint32 roomId, const QString &role = QStringLiteral("Guest"),
                  const QByteArray &secret = kSdkTestSecret);
// Puts that grant into a room option, as the classroom does with the sign-in's authBuffer.
void setGrant(ilive::RoomOption &option, const QString &userId, const QString &role = QStringLiteral("Guest"),
              const QByteArray &secret = kSdkTestSecret);
