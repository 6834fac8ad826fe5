#pragma once
// Keeps a PopShadow around a frameless top-level window: the shadow follows every move and
// resize, hides with the window, and is shown one event-loop turn after the window is shown,
// by the window's initWidget() slot when it has one (which decides, e.g. not while
// maximised, and calls showShadow()), else at once on that turn. The login window, the shell
// window and every pop-up use it.

#include <QObject>
#include <QPointer>
#include <QString>

class PopShadow;
class QWidget;

class ShadowFollower : public QObject {
  Q_OBJECT
public:
  // The shadow is a child of `window`; so is the follower.
  ShadowFollower(QWidget *window, const QString &image);
  explicit ShadowFollower(QWidget *window);

  PopShadow *shadow() const;

  // Places the shadow around the window and shows it beneath the window; nothing while the
  // window is hidden.
  void showShadow();
  void setShadowVisible(bool visible);

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void follow();
  void scheduleShow();

  QWidget *window_;
  QPointer<PopShadow> shadow_;
};
