// A reader that takes its data more slowly than the room sends it: media frames for it are shed
// first (video up to its next keyframe, Hub::admitFrame), once its queue holds
// maxQueuedMediaBytes, so control messages keep their room behind them and none is ever dropped. Only a reader whose queue passes its own cap is cut off, and
// the room's teacher gets the larger cap. Senders are held to their rates before anything is
// queued (Hub::refuseText), so one member's flood does not fill the others' queues.
#include "service/hub/hub.h"

#include "service/hub/hubpeer.h"
#include "service/hub/participant.h"

bool Hub::mediaQueueFull(const Participant &to, qint64 bytes) const {
  return to.peer->queuedBytes() + bytes > m_limits.maxQueuedMediaBytes;
}

bool Hub::controlOverflows(const Participant &to, qint64 bytes) const {
  const qint64 cap = to.isTeacher() ? m_limits.maxTeacherQueuedBytes : m_limits.maxQueuedBytes;
  return to.peer->queuedBytes() + bytes > cap;
}
