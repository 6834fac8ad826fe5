#pragma once
// Compares what a widget shows with a picture of the resource tree.

#include <QImage>
#include <QPixmap>
#include <QString>

namespace imagecompare {

inline QString res(const QString &file) { return QStringLiteral(":/res/Resources/") + file; }

inline bool samePicture(const QPixmap &shown, const QString &file) {
  const QImage want = QImage(res(file)).convertToFormat(QImage::Format_ARGB32);
  return !want.isNull() && shown.toImage().convertToFormat(QImage::Format_ARGB32) == want;
}

} // namespace imagecompare
