// The session's media path: which transport carries the frames of this sign-in, what it
// publishes, and the keyframe requests both ways. The media thread encodes and decodes; the
// transport only carries encoded frames.
#include "sdk/live/livesession.h"

#include "sdk/live/mediaengine.h"

namespace ilivesdk {

// A transport for the route (over the hub: the current hub client), in place of any earlier
// one, publishing what the program pushes now.
void LiveSession::attachMedia(const QString &userId) {
  dropMedia();
  m_mediaLink = createMediaTransport(m_mediaRoute, userId, m_client).release();
  m_mediaLink->setParent(this);
  connect(m_mediaLink, &sdk::MediaTransport::keyframeRequested, this, [this](hubproto::Source source) {
    toMedia([source](MediaEngine &media) { media.requestKeyframe(source); });
  });
  connect(m_mediaLink, &sdk::MediaTransport::frameReceived, this, [this](const hubproto::MediaFrame &frame) {
    // The hub forwards only what a member may publish; Janus forwards whatever comes.
    if (!m_mediaRoute.onHub() && !m_mayPublish.contains(QString::fromUtf8(frame.userId)))
      return;
    toMedia([frame](MediaEngine &media) { media.onRemoteFrame(frame); });
  });
  // Over Janus a stream may end while its owner still publishes (the link to Janus broke):
  // the program hears of it as it hears of a stream stopped.
  connect(m_mediaLink, &sdk::MediaTransport::streamEnded, this, [this](const QString &userId, hubproto::Source source) {
    onStreamNotice(m_room.roomId, userId, source, false);
  });
  updatePublishing();
}

void LiveSession::dropMedia() {
  sdk::MediaTransport *link = m_mediaLink;
  m_mediaLink = nullptr;
  if (link) {
    link->disconnect(this);
    link->deleteLater();
  }
}

// The program's camera push carries the camera picture and the microphone.
void LiveSession::updatePublishing() {
  bool camera = false;
  for (ilive::PushDataType t : qAsConst(m_pushes))
    camera = camera || t == ilive::PUSH_CAMERA;
  toMedia([camera](MediaEngine &media) { media.setPublishing(camera, camera); });
  if (!m_mediaLink)
    return;
  for (hubproto::Source source : {hubproto::Source::Camera, hubproto::Source::Audio}) {
    if (camera)
      m_mediaLink->publish(source);
    else
      m_mediaLink->unpublish(source);
  }
}

void LiveSession::sendFrame(const hubproto::MediaFrame &frame) {
  if (signedIn() && m_inRoom && m_mediaLink)
    m_mediaLink->sendFrame(frame);
}

void LiveSession::askKeyframe(const QString &owner, hubproto::Source source) {
  if (signedIn() && m_inRoom && m_mediaLink)
    m_mediaLink->requestKeyframe(owner, source);
}

} // namespace ilivesdk
