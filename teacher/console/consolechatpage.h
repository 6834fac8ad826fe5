#pragma once
// The class's chat page as the students' clients show it, in a browser view: messages are
// posted to it as its "sendText" event, and a click on a picture, which the page reports
// through its bridge call "imageView", opens the picture viewer. The console has no page
// bridge; a small script stands in for the one call the page makes, and reports it on the
// page's console, where this view picks it up.

#include <QWebEngineView>

class QtImageView;

class ConsoleChatPage : public QWebEngineView {
  Q_OBJECT
public:
  explicit ConsoleChatPage(const QString &pageUrl, QWidget *parent = nullptr);

  // A chat page message (JSON text) or "toBottom"; time in seconds, 0 = now.
  void post(const QString &text, quint32 time);
  bool isReady() const { return m_ready; }
  QtImageView *imageView() const { return m_viewer; }

signals:
  void ready();

public slots:
  void imageViewRequested(const QString &url);

private:
  void flush();

  bool m_ready = false;
  QList<QPair<QString, quint32>> m_waiting; // posted before the page was loaded
  QtImageView *m_viewer = nullptr;
};
