#pragma once
// Document previews: page N of a stored document as PNG, rendered from the document's PDF
// (<folder>/<file>.pdf) with Poppler and kept once rendered. Only documents the seed lists are
// served. Any thread.

#include "service/pageresponse.h"
#include "service/servicerecords.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>

class FormParams;

class DocumentPreviews {
public:
  static const char kPathPrefix[]; // "/preview/"

  DocumentPreviews(QString folder, const QList<Document> &documents);

  // GET /preview/<file>?cmd=doc_preview&of=pic&page=N
  PageResponse get(const QString &file, const FormParams &query) const;
  // The PNG of a page (1-based); empty with *status and *why when there is none.
  QByteArray page(const QString &file, int page, int *status, QString *why) const;

private:
  const Document *find(const QString &file) const;
  QByteArray render(const QString &pdfPath, int page) const;

  const QString m_folder;
  const QList<Document> m_documents;
  mutable QMutex m_mutex; // Poppler documents are not shared between threads
  mutable QHash<QString, QByteArray> m_cache;
};
