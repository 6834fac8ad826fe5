#pragma once
// Reports the view's address changes to the shell window (its urlChanged signal).

#include <QObject>

class QUrl;
class QWebEngineView;

class DisplayHandler : public QObject {
  Q_OBJECT
public:
  explicit DisplayHandler(QWebEngineView *view);

private slots:
  void onAddressChange(const QUrl &url);
};
