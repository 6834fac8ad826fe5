#pragma once
// Measures of decoded media against their source, for the media tests and bench_media:
// picture quality as PSNR, and the pitch and loudness of a voice.

#include <QByteArray>

namespace mediameasure {

// PSNR in dB of the luma of two I420 pictures of width × height (99 when identical, 0 when the
// sizes do not match).
double psnrY(const QByteArray &a, const QByteArray &b, int width, int height);
// Mono 16-bit samples of a sine of frequency Hz, starting at sample first.
QByteArray sine(double frequency, int sampleRate, int samples, int amplitude, qint64 first = 0);
// The dominant frequency from upward zero crossings, and the root mean square.
double frequency(const QByteArray &pcm, int sampleRate);
double rms(const QByteArray &pcm);

} // namespace mediameasure
