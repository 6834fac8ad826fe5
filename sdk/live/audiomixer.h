#pragma once
// What the speaker plays: the voices of the room mixed sample by sample. Each speaker's
// samples wait in their own queue (at most half a second; older samples give way), so that
// two people speaking at once are heard together instead of in turns.

#include <QHash>
#include <QIODevice>
#include <QMutex>

namespace ilivesdk {

class AudioMixer : public QIODevice {
  Q_OBJECT
public:
  explicit AudioMixer(QObject *parent = nullptr);

  // 16-bit mono samples from one speaker.
  void push(const QByteArray &owner, const QByteArray &pcm);
  void clear();
  qint64 queuedBytes(const QByteArray &owner) const;

  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override;

  static constexpr int kMaxQueuedBytes = 16000; // 0.5 s at 16 kHz
  static constexpr int kChunkBytes = 640;       // 20 ms of silence when nobody speaks

protected:
  qint64 readData(char *data, qint64 maxSize) override;
  qint64 writeData(const char *, qint64) override { return -1; }

private:
  mutable QMutex m_lock;
  QHash<QByteArray, QByteArray> m_queues;
};

} // namespace ilivesdk
