#pragma once
// Saves the files a page offers: asks where (the suggested file name filled in) and tells the
// student where the file went once it is complete. One handler per view; downloads of other
// views are theirs.

#include <QObject>
#include <QString>

class QWebEngineDownloadItem;
class QWebEngineView;

class DownloadHandler : public QObject {
  Q_OBJECT
public:
  explicit DownloadHandler(QWebEngineView *view);

  // The tip text for a file saved at `path`.
  static QString savedText(const QString &path);

private slots:
  void onBeforeDownload(QWebEngineDownloadItem *item);
  void onDownloadUpdated(QWebEngineDownloadItem *item);

private:
  QWebEngineView *view_;
};
