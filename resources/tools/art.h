#pragma once
// Registry of the program's artwork. Every picture and sound under ":/res/Resources/" is
// produced by a painter registered here (or rendered from resources/svg/), so the whole
// resource tree can be rebuilt from the repository alone.

#include <QByteArray>
#include <QColor>
#include <QPainter>
#include <QSize>
#include <QString>
#include <functional>
#include <vector>

namespace art {

using PaintFn = std::function<void(QPainter &p, const QSize &size)>;
using BytesFn = std::function<QByteArray()>;

// A picture: name with its extension (".png", ".ico", ".jpg"), pixel size, painter.
// The painter starts on a transparent canvas with antialiasing on.
void addImage(const QString &name, const QSize &size, const PaintFn &paint);
// Any other file (sounds, data), produced as bytes.
void addFile(const QString &name, const BytesFn &make);

// House palette, so that artwork of different subsystems looks like one product.
namespace color {
const QColor yellow(0xFF, 0xC8, 0x2E);
const QColor yellowDark(0xF0, 0xA8, 0x00);
const QColor gray(0xB8, 0xBC, 0xC4);
const QColor grayDark(0x8A, 0x90, 0x9A);
const QColor text(0x33, 0x33, 0x33);
const QColor blue(0x2F, 0x8C, 0xFF);
const QColor red(0xE8, 0x4C, 0x3D);
const QColor green(0x3C, 0xC0, 0x6E);
const QColor white(0xFF, 0xFF, 0xFF);
const QColor panel(0xF5, 0xF6, 0xF8);
} // namespace color

// Small drawing helpers shared by the painters.
void roundedButton(QPainter &p, const QRectF &r, const QColor &fill, qreal radius);
void centeredText(QPainter &p, const QRectF &r, const QString &text, const QColor &c, int pixelSize,
                  bool bold = false);
// 16-bit mono PCM WAV from a sample generator f(t) in [-1, 1], t in seconds. 44.1 kHz by
// default, the rate at which the speaker test plays every sound.
QByteArray wav(double seconds, const std::function<double(double t)> &f, int rate = 44100);

// Registration from any art/*.cpp file: ART_REGISTER(widgets) { art::addImage(...); }
struct Registrar {
  explicit Registrar(void (*fn)());
};

} // namespace art

#define ART_REGISTER(id)                                                                           \
  static void art_register_##id();                                                                 \
  static const art::Registrar art_registrar_##id(&art_register_##id);                              \
  static void art_register_##id()
