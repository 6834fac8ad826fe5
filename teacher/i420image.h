#pragma once
// A picture as the hub's video frames carry it: planar I420, BT.601 studio range, chroma
// averaged over each 2 × 2 block (odd sizes round the chroma planes up).

#include <QByteArray>

class QImage;

namespace i420image {
QByteArray fromImage(const QImage &image);
} // namespace i420image
