#include "teacher/screenslide.h"

#include "teacher/i420image.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QTime>

namespace {

// The house palette.
const QColor kBlue(0x2F, 0x8C, 0xFF);
const QColor kText(0x33, 0x33, 0x33);
const QColor kGray(0xB8, 0xBC, 0xC4);
const QColor kPanel(0xF5, 0xF6, 0xF8);
const QColor kRed(0xE8, 0x4C, 0x3D);
const QColor kYellow(0xFF, 0xC8, 0x2E);

// The graph shows y = 2x + 1 for x in [-3, 3].
constexpr double kMinX = -3, kMaxX = 3, kMinY = -5, kMaxY = 7;
constexpr int kFramesPerSweep = 90;

double lineAt(double x) { return 2 * x + 1; }

QFont font(int pixelSize, bool bold = false) {
  QFont f(QStringLiteral("Noto Sans CJK SC"));
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  return f;
}

} // namespace

ScreenSlide::ScreenSlide(const ScenarioSlide &slide, QSize size)
    : m_background(size, QImage::Format_RGB32),
      m_withText(qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr) {
  paintBackground(slide);
}

QPointF ScreenSlide::graphPoint(double x, double y) const {
  return {m_graph.left() + (x - kMinX) / (kMaxX - kMinX) * m_graph.width(),
          m_graph.bottom() - (y - kMinY) / (kMaxY - kMinY) * m_graph.height()};
}

void ScreenSlide::paintBackground(const ScenarioSlide &slide) {
  const qreal w = m_background.width();
  const qreal h = m_background.height();
  const qreal band = h * 0.13;
  m_background.fill(Qt::white);
  QPainter p(&m_background);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(QRectF(0, 0, w, band), kBlue);
  p.fillRect(QRectF(0, h - h * 0.06, w, h * 0.06), kPanel);
  m_graph = QRectF(w * 0.56, band + h * 0.08, w * 0.38, h * 0.66);
  p.fillRect(m_graph, kPanel);
  p.setPen(QPen(kGray, 1));
  for (int x = int(kMinX); x <= int(kMaxX); ++x)
    p.drawLine(graphPoint(x, kMinY), graphPoint(x, kMaxY));
  for (int y = int(kMinY); y <= int(kMaxY); ++y)
    p.drawLine(graphPoint(kMinX, y), graphPoint(kMaxX, y));
  p.setPen(QPen(kText, 2));
  p.drawLine(graphPoint(kMinX, 0), graphPoint(kMaxX, 0));
  p.drawLine(graphPoint(0, kMinY), graphPoint(0, kMaxY));
  p.setPen(QPen(kBlue, 4));
  p.drawLine(graphPoint(kMinX, lineAt(kMinX)), graphPoint(kMaxX - 0.01, lineAt(kMaxX - 0.01)));
  if (!m_withText)
    return;
  p.setPen(Qt::white);
  p.setFont(font(int(band * 0.42), true));
  p.drawText(QRectF(w * 0.04, 0, w * 0.92, band), Qt::AlignVCenter | Qt::AlignLeft, slide.title);
  p.setFont(font(int(h * 0.042)));
  qreal top = band + h * 0.09;
  for (const QString &line : slide.lines) {
    p.setPen(Qt::NoPen);
    p.setBrush(kYellow);
    p.drawEllipse(QPointF(w * 0.05, top + h * 0.028), h * 0.009, h * 0.009);
    p.setPen(kText);
    const QRectF box(w * 0.07, top, w * 0.46, h * 0.2);
    const QRectF used = p.boundingRect(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, line);
    p.drawText(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, line);
    top += used.height() + h * 0.035;
  }
  p.setFont(font(int(h * 0.036), true));
  p.setPen(kBlue);
  p.drawText(QRectF(m_graph.left(), m_graph.bottom() + h * 0.01, m_graph.width(), h * 0.06),
             Qt::AlignCenter, QStringLiteral("y = 2x + 1"));
}

QImage ScreenSlide::picture(int frameNumber) const {
  QImage image = m_background.copy();
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const int step = frameNumber % (2 * kFramesPerSweep);
  const double t = double(step < kFramesPerSweep ? step : 2 * kFramesPerSweep - step) / kFramesPerSweep;
  const double x = kMinX + t * (kMaxX - kMinX);
  const QPointF at = graphPoint(x, lineAt(x));
  const qreal r = image.height() * 0.016;
  p.setPen(QPen(Qt::white, 3));
  p.setBrush(kRed);
  p.drawEllipse(at, r, r);
  if (m_withText) {
    const qreal h = image.height();
    p.setFont(font(int(h * 0.03)));
    p.setPen(kText);
    p.drawText(QRectF(0, h - h * 0.06, image.width() - h * 0.04, h * 0.06), Qt::AlignVCenter | Qt::AlignRight,
               QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
  }
  return image;
}

QByteArray ScreenSlide::frame(int frameNumber) const { return i420image::fromImage(picture(frameNumber)); }
