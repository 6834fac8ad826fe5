// Writes the seeded lesson deck "aaa.ppt" as a PDF: one slide per page about linear functions,
// each with a title, a coordinate grid and the graph of that slide's function. The output is
// the same on every run (the creation date is fixed), so the build can produce it.
//
// Usage: make-lesson-deck <out.pdf> [pages]

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>

#include <cstdio>

namespace {

constexpr int kDefaultPages = 20;
constexpr int kSlideWidth = 1600;
constexpr int kSlideHeight = 900;
// The date QPdfWriter stamps in, replaced by one of the same length.
const QByteArray kFixedDate = "D:20260101000000";

const QColor kInk(0x22, 0x2b, 0x45);
const QColor kAccent(0x00, 0x75, 0xff);

void drawGrid(QPainter &p, const QRect &area) {
  p.setPen(QPen(QColor(0xdd, 0xe3, 0xee), 2));
  for (int x = area.left(); x <= area.right(); x += 50)
    p.drawLine(x, area.top(), x, area.bottom());
  for (int y = area.top(); y <= area.bottom(); y += 50)
    p.drawLine(area.left(), y, area.right(), y);
  p.setPen(QPen(kInk, 4));
  p.drawLine(area.left(), area.center().y(), area.right(), area.center().y());
  p.drawLine(area.center().x(), area.top(), area.center().x(), area.bottom());
}

void drawSlide(QPainter &p, int page, int pages) {
  p.fillRect(QRect(0, 0, kSlideWidth, kSlideHeight), Qt::white);
  p.fillRect(QRect(0, 0, kSlideWidth, 120), kAccent);
  QFont title(QStringLiteral("Noto Sans CJK SC"));
  title.setPixelSize(56);
  p.setFont(title);
  p.setPen(Qt::white);
  const int k = page % 5 + 1, b = page % 7 - 3;
  p.drawText(QRect(60, 0, kSlideWidth - 120, 120), Qt::AlignVCenter | Qt::AlignLeft,
             QStringLiteral("第5讲 一次函数  ·  第%1页").arg(page));
  const QRect grid(100, 180, 800, 650);
  drawGrid(p, grid);
  p.setPen(QPen(QColor(0xff, 0x01, 0x00), 8));
  const QPoint origin = grid.center();
  const double unit = 50;
  const double x0 = -(grid.width() / 2) / unit, x1 = (grid.width() / 2) / unit;
  p.setClipRect(grid);
  p.drawLine(QPointF(origin.x() + x0 * unit, origin.y() - (k * x0 + b) * unit),
             QPointF(origin.x() + x1 * unit, origin.y() - (k * x1 + b) * unit));
  p.setClipping(false);
  QFont body = title;
  body.setPixelSize(44);
  p.setFont(body);
  p.setPen(kInk);
  p.drawText(QRect(980, 220, 560, 300), Qt::AlignLeft | Qt::TextWordWrap,
             QStringLiteral("y = %1x %2 %3\n\nk = %1 > 0，图像从左到右上升").arg(k).arg(b < 0 ? "−" : "+").arg(qAbs(b)));
  body.setPixelSize(32);
  p.setFont(body);
  p.drawText(QRect(980, 780, 560, 60), Qt::AlignRight, QStringLiteral("%1 / %2").arg(page).arg(pages));
}

bool fixDate(const QString &path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadWrite))
    return false;
  QByteArray pdf = f.readAll();
  for (int at = pdf.indexOf("(D:"); at >= 0; at = pdf.indexOf("(D:", at + 1))
    pdf.replace(at + 1, kFixedDate.size(), kFixedDate);
  f.seek(0);
  return f.write(pdf) == pdf.size();
}

} // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: make-lesson-deck <out.pdf> [pages]\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  const int pages = argc > 2 ? QByteArray(argv[2]).toInt() : kDefaultPages;
  {
    QPdfWriter writer(out);
    writer.setCreator(QStringLiteral("Tarnwick"));
    writer.setTitle(QStringLiteral("第5讲 一次函数"));
    writer.setPageSize(QPageSize(QSizeF(kSlideWidth, kSlideHeight), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    QPainter p(&writer);
    for (int page = 1; page <= pages; ++page) {
      if (page > 1)
        writer.newPage();
      drawSlide(p, page, pages);
    }
  }
  return fixDate(out) ? 0 : 1;
}
