#pragma once
// Records the chosen microphone as 20 ms chunks of voice PCM (see voiceFormat()).

#include <QAudioDeviceInfo>
#include <QObject>

#include <functional>
#include <memory>

class QAudioInput;
class QIODevice;

namespace ilivesdk {

class MicCapture : public QObject {
  Q_OBJECT
public:
  using ChunkFn = std::function<void(const QByteArray &pcm)>;
  explicit MicCapture(ChunkFn onChunk, QObject *parent = nullptr);
  ~MicCapture() override;

  bool start(const QAudioDeviceInfo &device, int volume); // false when it cannot record
  void stop();
  bool isRunning() const { return m_input != nullptr; }
  void setVolume(int volume); // 0..100

  static constexpr int kChunkBytes = 640;

private:
  void onReadyRead();

  ChunkFn m_onChunk;
  std::unique_ptr<QAudioInput> m_input;
  QIODevice *m_device = nullptr;
  QByteArray m_pending;
};

} // namespace ilivesdk
