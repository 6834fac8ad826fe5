#pragma once
// Holds the classes' Janus rooms to the hub's stage rules, which Janus cannot know: every
// interval it lists each room's participants and kicks
// - a participant under a feed id no member holds now (never given, or from an earlier sign-in),
// - a participant whose display is not the user id of the feed's holder (members are shown by
//   it),
// - a publisher (media flowing) whose holder may not publish: not the class's teacher and
//   without the teacher's stage grant, or whose grant was taken back.
// Checks run on a thread of the guard's own, so a slow Janus holds up nothing else.

#include <QList>
#include <QString>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class JanusRooms;
struct JanusParticipant;

class JanusStageGuard {
public:
  // Whether userId may publish in roomId right now.
  using PublishRight = std::function<bool(const QString &userId, quint32 roomId)>;

  enum class Verdict { Keep, UnknownFeed, WrongName, NoStage };

  JanusStageGuard(JanusRooms &rooms, PublishRight mayPublish);
  ~JanusStageGuard();

  void start(int intervalMs);
  void stop();
  // One pass over every room now; the number of participants kicked.
  int checkNow();

  // owner: the holder of the participant's feed id (empty for none).
  static Verdict judge(const JanusParticipant &p, const QString &owner, bool ownerMayPublish);
  static QString reason(Verdict v);

  static constexpr int kDefaultIntervalMs = 1000;

private:
  int checkRoom(quint32 roomId);

  JanusRooms &m_rooms;
  PublishRight m_mayPublish;
  std::mutex m_waitLock;
  std::condition_variable m_wake;
  bool m_stopping = false;
  std::thread m_thread;
};
