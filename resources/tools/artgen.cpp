// Writes every registered picture and sound, plus the SVG sources rendered to PNG, into
// <out>/Resources/ and a res.qrc that lists them under the prefix "/res".

#include "art.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QSvgRenderer>
#include <QTextStream>
#include <QtMath>
#include <cstdio>
#include <map>

namespace art {
namespace {

struct Entry {
  QSize size;
  PaintFn paint;
  BytesFn bytes;
};

std::map<QString, Entry> &entries() {
  static std::map<QString, Entry> e;
  return e;
}

std::vector<void (*)()> &registrations() {
  static std::vector<void (*)()> r;
  return r;
}

bool writeImage(const QString &path, const Entry &e) {
  QImage img(e.size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    e.paint(p, e.size);
  }
  return img.save(path);
}

bool writeBytes(const QString &path, const QByteArray &data) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

} // namespace

Registrar::Registrar(void (*fn)()) { registrations().push_back(fn); }

void addImage(const QString &name, const QSize &size, const PaintFn &paint) {
  entries()[name] = Entry{size, paint, {}};
}

void addFile(const QString &name, const BytesFn &make) { entries()[name] = Entry{{}, {}, make}; }

void roundedButton(QPainter &p, const QRectF &r, const QColor &fill, qreal radius) {
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawRoundedRect(r, radius, radius);
}

void centeredText(QPainter &p, const QRectF &r, const QString &text, const QColor &c, int pixelSize,
                  bool bold) {
  QFont f(QStringLiteral("Noto Sans CJK SC"));
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  p.setFont(f);
  p.setPen(c);
  p.drawText(r, Qt::AlignCenter, text);
}

QByteArray wav(double seconds, const std::function<double(double)> &f, int rate) {
  const int n = int(seconds * rate);
  QByteArray data;
  data.resize(44 + n * 2);
  auto put32 = [&](int at, quint32 v) {
    for (int i = 0; i < 4; ++i) data[at + i] = char((v >> (8 * i)) & 0xFF);
  };
  auto put16 = [&](int at, quint16 v) {
    data[at] = char(v & 0xFF);
    data[at + 1] = char(v >> 8);
  };
  memcpy(data.data(), "RIFF", 4);
  put32(4, quint32(36 + n * 2));
  memcpy(data.data() + 8, "WAVEfmt ", 8);
  put32(16, 16);
  put16(20, 1);
  put16(22, 1);
  put32(24, quint32(rate));
  put32(28, quint32(rate * 2));
  put16(32, 2);
  put16(34, 16);
  memcpy(data.data() + 36, "data", 4);
  put32(40, quint32(n * 2));
  for (int i = 0; i < n; ++i) {
    const double v = qBound(-1.0, f(double(i) / rate), 1.0);
    put16(44 + i * 2, quint16(qint16(v * 30000)));
  }
  return data;
}

} // namespace art

static bool renderSvgs(const QString &svgDir, const QString &outDir, QStringList &names) {
  const QStringList files = QDir(svgDir).entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
  for (const QString &file : files) {
    QSvgRenderer svg(svgDir + QLatin1Char('/') + file);
    if (!svg.isValid()) {
      std::fprintf(stderr, "artgen: bad SVG %s\n", qPrintable(file));
      return false;
    }
    QImage img(svg.defaultSize(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    svg.render(&p);
    p.end();
    const QString name = file.left(file.size() - 4) + QStringLiteral(".png");
    if (!img.save(outDir + QLatin1Char('/') + name)) return false;
    names << name;
  }
  return true;
}

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: artgen <svg-dir> <out-dir>\n");
    return 2;
  }
  const QString outDir = QString::fromLocal8Bit(argv[2]) + QStringLiteral("/Resources");
  QDir().mkpath(outDir);
  for (auto fn : art::registrations()) fn();

  QStringList names;
  if (!renderSvgs(QString::fromLocal8Bit(argv[1]), outDir, names)) return 1;
  for (const auto &[name, e] : art::entries()) {
    const QString path = outDir + QLatin1Char('/') + name;
    QDir().mkpath(QFileInfo(path).path()); // names may sit in sub-folders ("oescreenshot/")
    const bool ok = e.bytes ? art::writeBytes(path, e.bytes()) : art::writeImage(path, e);
    if (!ok) {
      std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(path));
      return 1;
    }
    names << name;
  }
  names.sort();
  names.removeDuplicates();

  QFile qrc(QString::fromLocal8Bit(argv[2]) + QStringLiteral("/res.qrc"));
  if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
  QTextStream out(&qrc);
  out << "<RCC>\n  <qresource prefix=\"/res\">\n";
  for (const QString &n : names) out << "    <file>Resources/" << n << "</file>\n";
  out << "  </qresource>\n</RCC>\n";
  std::printf("artgen: %d files\n", int(names.size()));
  return 0;
}
