#pragma once
// The seam between the SDK's media and the server that carries it: the class hub (the
// default, on the live session's own hub connection) or a WebRTC forwarding unit. A transport
// sends the encoded frames (VP8, Opus) of the sources this member publishes, hands over the
// encoded frames of the streams it receives, and carries keyframe requests both ways. It knows
// no codec: encoding and decoding stay in the SDK's media pipeline. Lives on one thread: call
// it there; its signals come on that thread.

#include "protocol/mediaframe.h"
#include "protocol/protocol.h"

#include <QList>
#include <QObject>
#include <QString>

namespace sdk {

// A stream of another member: its owner and source.
struct StreamRequest {
  QString userId;
  hubproto::Source source;
};

struct MediaStats {
  quint64 bytesSent = 0;     // payload bytes of the frames handed to sendFrame() and sent
  quint64 bytesReceived = 0; // payload bytes of the frames handed over by frameReceived()
};

class MediaTransport : public QObject {
  Q_OBJECT
public:
  using QObject::QObject;

  // A source of this member starts or stops going out: Camera, Screen, Media, or Audio for
  // the microphone. Publishing a published source again changes nothing.
  virtual void publish(hubproto::Source source) = 0;
  virtual void unpublish(hubproto::Source source) = 0;
  // One encoded frame of a published source; frames of other sources are dropped.
  virtual void sendFrame(const hubproto::MediaFrame &frame) = 0;
  // Further streams of others to receive (cameras and voices of the room come unasked).
  virtual void subscribe(const QList<StreamRequest> &streams) = 0;
  // Asks the publisher of a received video stream for a keyframe.
  virtual void requestKeyframe(const QString &owner, hubproto::Source source) = 0;
  // What went out and came in since the last call.
  virtual MediaStats takeStats() = 0;

signals:
  // An encoded frame of another member's stream, its owner in userId.
  void frameReceived(const hubproto::MediaFrame &frame);
  // A receiver of one of this member's video sources needs a keyframe.
  void keyframeRequested(hubproto::Source source);
  // A stream of another member that was coming in stopped: its owner stopped it, or the
  // server or the link to it dropped it. (Over the hub, the hub's own stream notices say so.)
  void streamEnded(const QString &userId, hubproto::Source source);
};

} // namespace sdk
