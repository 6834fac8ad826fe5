#include "service/avatars.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

Avatars::Avatars(const QList<Account> &accounts)
    : m_fallback(QString::fromLatin1(paintPng(QStringLiteral("#B8BEC8")).toBase64())) {
  for (const Account &a : accounts)
    m_pictures.insert(a.userId, QString::fromLatin1(paintPng(a.avatarColor).toBase64()));
}

QString Avatars::base64(const QString &userId) const { return m_pictures.value(userId, m_fallback); }

QByteArray Avatars::paintPng(const QString &color, int size) {
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor base = QColor(color).isValid() ? QColor(color) : QColor(0xFF, 0xC8, 0x2E);
    QLinearGradient bg(0, 0, 0, size);
    bg.setColorAt(0, base.lighter(115));
    bg.setColorAt(1, base.darker(108));
    QPainterPath disc;
    disc.addEllipse(QRectF(0, 0, size, size));
    p.setClipPath(disc);
    p.fillPath(disc, bg);
    // Head and shoulders, drawn in proportion to the disc.
    const qreal s = size;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawEllipse(QPointF(s * 0.5, s * 0.40), s * 0.18, s * 0.18);
    p.drawEllipse(QPointF(s * 0.5, s * 1.02), s * 0.36, s * 0.34);
  }
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  img.save(&buffer, "PNG");
  return png;
}
