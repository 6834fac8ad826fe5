#pragma once
// The first window: a small frameless box whose content is the service's sign-in page. It
// gives the page stored credentials, stores new ones and, when the page has signed in, hands
// phone, token and configuration to the shell window, which it created hidden.

#include <QDialog>

namespace Ui {
class QtLogin;
}
class PopShadow;
class ShadowFollower;
class WebView;

class QtLogin : public QDialog {
  Q_OBJECT
public:
  explicit QtLogin(QWidget *parent = nullptr);
  ~QtLogin() override;

  // s = dpi / 96 when that is at least 1.5, else 1 (screens below 144 DPI are not scaled).
  static qreal scaleFactor(qreal logicalDpi);
  // "%1/client-login/login?build=1011"
  static QString signInAddress();
  // The window's style sheet for the page's background colour; empty for anything but a
  // plain colour ("#rgb", "#rrggbb", "rgb(r, g, b)"), which must not reach a style sheet.
  static QString backgroundStyle(const QString &colour);

  WebView *webView() const { return webView_; }
  QWidget *webContainer() const;
  PopShadow *shadow() const;

  void loadPassword(const QString &colour);
  void storePassword(const QString &phone, const QString &password);
  void onSetToken(const QString &phone, const QString &token, const QString &configJson,
                  const QString &avatar);

public slots:
  void btnCloseClicked();
  void initWidget();

protected:
  void mousePressEvent(QMouseEvent *event) override;

private:
  void applyScale(qreal s);

  Ui::QtLogin *ui;
  WebView *webView_ = nullptr;
  ShadowFollower *chrome_ = nullptr;
};
