#pragma once
// A system-wide hot key: registered with the window system for the whole desktop, so that it
// fires while another application has the focus. Emits activated() while enabled.

#include <QKeySequence>
#include <QObject>

class QxtGlobalShortcutPrivate;

class QxtGlobalShortcut : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled)
  Q_PROPERTY(QKeySequence shortcut READ shortcut WRITE setShortcut)

public:
  explicit QxtGlobalShortcut(QObject *parent = nullptr);
  explicit QxtGlobalShortcut(const QKeySequence &shortcut, QObject *parent = nullptr);
  ~QxtGlobalShortcut() override;

  QKeySequence shortcut() const;
  bool setShortcut(const QKeySequence &shortcut);
  bool unsetShortcut();
  bool isEnabled() const;

public slots:
  void setEnabled(bool enabled = true);
  void setDisabled(bool disabled = true);

signals:
  void activated();

private:
  friend class QxtGlobalShortcutPrivate;
  QxtGlobalShortcutPrivate *d;
};
