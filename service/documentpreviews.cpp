#include "service/documentpreviews.h"

#include "service/formparams.h"

#include <poppler-qt5.h>

#include <QBuffer>
#include <QFileInfo>
#include <QImage>

#include <memory>

const char DocumentPreviews::kPathPrefix[] = "/preview/";

namespace {
// Pages are drawn at this resolution: a 16:9 slide of 1600 x 900 points comes out 1200 x 675.
constexpr double kDpi = 54;

PageResponse failure(int status, const QString &why) {
  PageResponse r;
  r.status = status;
  r.contentType = "text/plain; charset=utf-8";
  r.body = why.toUtf8();
  return r;
}
} // namespace

DocumentPreviews::DocumentPreviews(QString folder, const QList<Document> &documents)
    : m_folder(std::move(folder)), m_documents(documents) {}

const Document *DocumentPreviews::find(const QString &file) const {
  for (const Document &d : m_documents)
    if (d.file == file)
      return &d;
  return nullptr;
}

PageResponse DocumentPreviews::get(const QString &file, const FormParams &query) const {
  if (query.value(QStringLiteral("cmd")) != QLatin1String("doc_preview") ||
      query.value(QStringLiteral("of")) != QLatin1String("pic"))
    return failure(400, QStringLiteral("cmd=doc_preview&of=pic expected"));
  quint32 pageNumber = 0;
  if (!query.toUInt(QStringLiteral("page"), &pageNumber))
    return failure(400, QStringLiteral("page must be a number"));
  int status = 200;
  QString why;
  const QByteArray png = page(file, int(qMin<quint32>(pageNumber, INT32_MAX)), &status, &why);
  if (png.isEmpty())
    return failure(status, why);
  PageResponse r;
  r.contentType = "image/png";
  r.body = png;
  r.headers.append(qMakePair(QByteArray("Cache-Control"), QByteArray("max-age=3600")));
  return r;
}

QByteArray DocumentPreviews::page(const QString &file, int pageNumber, int *status, QString *why) const {
  // Only listed names: nothing from the address reaches the file system unchecked.
  const Document *doc = find(file);
  if (!doc) {
    *status = 404;
    *why = QStringLiteral("no document %1").arg(file);
    return QByteArray();
  }
  if (pageNumber < 1 || pageNumber > doc->pages) {
    *status = 404;
    *why = QStringLiteral("%1 has pages 1 to %2").arg(file).arg(doc->pages);
    return QByteArray();
  }
  const QString key = file + QLatin1Char('#') + QString::number(pageNumber);
  QMutexLocker lock(&m_mutex);
  auto cached = m_cache.constFind(key);
  if (cached != m_cache.constEnd())
    return *cached;
  const QByteArray png = render(m_folder + QLatin1Char('/') + doc->file + QStringLiteral(".pdf"), pageNumber);
  if (png.isEmpty()) {
    *status = 500;
    *why = QStringLiteral("%1 page %2 could not be rendered").arg(file).arg(pageNumber);
    return QByteArray();
  }
  m_cache.insert(key, png);
  return png;
}

QByteArray DocumentPreviews::render(const QString &pdfPath, int pageNumber) const {
  const std::unique_ptr<Poppler::Document> pdf(Poppler::Document::load(pdfPath));
  if (!pdf || pdf->isLocked() || pageNumber > pdf->numPages())
    return QByteArray();
  pdf->setRenderHint(Poppler::Document::Antialiasing);
  pdf->setRenderHint(Poppler::Document::TextAntialiasing);
  const std::unique_ptr<Poppler::Page> page(pdf->page(pageNumber - 1));
  const QImage image = page ? page->renderToImage(kDpi, kDpi) : QImage();
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (image.isNull() || !image.save(&buffer, "PNG"))
    return QByteArray();
  return png;
}
