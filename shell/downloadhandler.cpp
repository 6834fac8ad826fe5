#include "shell/downloadhandler.h"

#include "shell/browserwindow.h"

#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWebEngineDownloadItem>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

DownloadHandler::DownloadHandler(QWebEngineView *view) : QObject(view), view_(view) {
  connect(view->page()->profile(), &QWebEngineProfile::downloadRequested, this,
          &DownloadHandler::onBeforeDownload);
}

QString DownloadHandler::savedText(const QString &path) {
  return QStringLiteral("%1 %2").arg(QStringLiteral("文件下载成功，已保存在"), path);
}

void DownloadHandler::onBeforeDownload(QWebEngineDownloadItem *item) {
  // The profile is shared by every view; each handler takes only its own view's downloads.
  if (item->page() != view_->page() || item->state() != QWebEngineDownloadItem::DownloadRequested)
    return;
  QString dir = item->downloadDirectory();
  if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
  const QString proposed = QDir(dir).filePath(item->suggestedFileName());
  const QString chosen = QFileDialog::getSaveFileName(view_->window(), QString(), proposed);
  if (chosen.isEmpty()) {
    item->cancel();
    return;
  }
  const QFileInfo target(chosen);
  item->setDownloadDirectory(target.absolutePath());
  item->setDownloadFileName(target.fileName());
  connect(item, &QWebEngineDownloadItem::finished, this, [this, item] { onDownloadUpdated(item); });
  item->accept();
}

void DownloadHandler::onDownloadUpdated(QWebEngineDownloadItem *item) {
  if (item->state() != QWebEngineDownloadItem::DownloadCompleted) return;
  const QString path = QDir(item->downloadDirectory()).filePath(item->downloadFileName());
  qDebug("download finished: %s", qUtf8Printable(path));
  if (BrowserWindow *shell = BrowserWindow::instance())
    emit shell->notifyMessage(QStringLiteral("文件下载"), savedText(path));
}
