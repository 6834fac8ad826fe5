#pragma once
// Holds the classes' Janus rooms to the hub's stage rules, which Janus cannot know: every
// interval it lists each room's participants and kicks
// - a participant under a feed id no member holds now (never given, or from an earlier sign-in),
// - a participant whose display is not the user id of the feed's holder (members are shown by
//   it),
// - a participant on a handle its feed's holder did not open: the handle's tag is not the one
//   the holder's token makes (a member who saw another's feed id, or worked out the holder's
//   unused ones, cannot pass as that member),
// - a publisher (media flowing) whose holder may not publish: not the class's teacher and
//   without the teacher's stage grant, or whose grant was taken back.
// Checks run on a thread of the guard's own, so a slow Janus holds up nothing else.

#include "service/janushandles.h"

#include <QList>
#include <QString>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class JanusApi;
class JanusRooms;
struct JanusParticipant;

class JanusStageGuard {
public:
  // Whether userId may publish in roomId right now.
  using PublishRight = std::function<bool(const QString &userId, quint32 roomId)>;

  enum class Verdict { Keep, UnknownFeed, WrongName, ForeignHandle, NoStage };

  // What the guard knows of one participant.
  struct Facts {
    QString owner;            // the holder of its feed id; empty for none
    QString handleTag;        // the tag of the handle it sits on; empty when not known
    bool ownersHandle = true; // its handle carries the holder's tag (true when Janus could not say)
    bool ownerMayPublish = false;
  };

  // api: for the Admin API, which tells whose handle a participant sits on.
  JanusStageGuard(JanusRooms &rooms, JanusApi &api, PublishRight mayPublish);
  ~JanusStageGuard();

  void start(int intervalMs);
  void stop();
  // One pass over every room now; the number of participants kicked.
  int checkNow();

  static Verdict judge(const JanusParticipant &p, const Facts &facts);
  static QString reason(Verdict v);

  static constexpr int kDefaultIntervalMs = 1000;

private:
  // handlesKnown: whether this pass's look at Janus's handles succeeded.
  int checkRoom(quint32 roomId, const QList<JanusParticipant> &list, bool handlesKnown);
  Facts factsOf(quint32 roomId, const JanusParticipant &p, bool handlesKnown);
  void logKick(quint32 roomId, const JanusParticipant &p, const Facts &facts, Verdict verdict);

  JanusRooms &m_rooms;
  PublishRight m_mayPublish;
  std::mutex m_passLock; // one pass at a time: passes share what is known of the handles
  JanusHandles m_handles;
  std::mutex m_waitLock;
  std::condition_variable m_wake;
  bool m_stopping = false;
  std::thread m_thread;
};
