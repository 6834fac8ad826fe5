#include "widgets/qxtglobalshortcut.h"
#include "widgets/qxtglobalshortcut_p.h"

QxtGlobalShortcut::QxtGlobalShortcut(QObject *parent)
    : QObject(parent), d(new QxtGlobalShortcutPrivate(this)) {}

QxtGlobalShortcut::QxtGlobalShortcut(const QKeySequence &shortcut, QObject *parent)
    : QxtGlobalShortcut(parent) {
  setShortcut(shortcut);
}

QxtGlobalShortcut::~QxtGlobalShortcut() {
  if (d->key != 0) d->unsetShortcut();
  delete d;
}

QKeySequence QxtGlobalShortcut::shortcut() const { return d->sequence; }

bool QxtGlobalShortcut::setShortcut(const QKeySequence &shortcut) {
  if (d->key != 0) d->unsetShortcut();
  return d->setShortcut(shortcut);
}

bool QxtGlobalShortcut::unsetShortcut() { return d->key != 0 && d->unsetShortcut(); }

bool QxtGlobalShortcut::isEnabled() const { return d->enabled; }

void QxtGlobalShortcut::setEnabled(bool enabled) { d->enabled = enabled; }

void QxtGlobalShortcut::setDisabled(bool disabled) { d->enabled = !disabled; }
