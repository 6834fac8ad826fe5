#include "mediameasure.h"

#include <QtEndian>

#include <cmath>

namespace mediameasure {

namespace {
qint16 sampleAt(const QByteArray &pcm, int i) { return qFromLittleEndian<qint16>(pcm.constData() + 2 * i); }
} // namespace

double psnrY(const QByteArray &a, const QByteArray &b, int width, int height) {
  const int n = width * height;
  if (n <= 0 || a.size() < n || b.size() < n)
    return 0;
  double sum = 0;
  for (int i = 0; i < n; ++i) {
    const double d = static_cast<uchar>(a[i]) - static_cast<uchar>(b[i]);
    sum += d * d;
  }
  if (sum == 0)
    return 99;
  return 10 * std::log10(255.0 * 255.0 / (sum / n));
}

QByteArray sine(double frequency, int sampleRate, int samples, int amplitude, qint64 first) {
  QByteArray out(samples * 2, '\0');
  for (int i = 0; i < samples; ++i) {
    const double t = static_cast<double>(first + i) / sampleRate;
    qToLittleEndian<qint16>(static_cast<qint16>(amplitude * std::sin(2 * M_PI * frequency * t)), out.data() + 2 * i);
  }
  return out;
}

double frequency(const QByteArray &pcm, int sampleRate) {
  const int n = pcm.size() / 2;
  int first = -1;
  int last = -1;
  int crossings = 0;
  for (int i = 1; i < n; ++i) {
    if (sampleAt(pcm, i - 1) < 0 && sampleAt(pcm, i) >= 0) {
      if (first < 0)
        first = i;
      last = i;
      ++crossings;
    }
  }
  if (crossings < 2)
    return 0;
  return (crossings - 1) * static_cast<double>(sampleRate) / (last - first);
}

double rms(const QByteArray &pcm) {
  const int n = pcm.size() / 2;
  if (n == 0)
    return 0;
  double sum = 0;
  for (int i = 0; i < n; ++i)
    sum += static_cast<double>(sampleAt(pcm, i)) * sampleAt(pcm, i);
  return std::sqrt(sum / n);
}

} // namespace mediameasure
