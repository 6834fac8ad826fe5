#pragma once
// The private part of QxtGlobalShortcut. It is also the native event filter: one filter is
// installed while any shortcut object exists, and the process-wide table maps a native
// (key, modifier mask) pair to the object that registered it last.
//
// The table speaks the Windows virtual-key codes and MOD_* masks on every platform (so
// Ctrl+Shift+A is key 0x41, mask 6, identifier 0x47); each platform file translates them
// to what its window system grabs and reports.

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QList>
#include <QKeySequence>
#include <QPair>

class QxtGlobalShortcut;

class QxtGlobalShortcutPrivate : public QAbstractNativeEventFilter {
public:
  enum ModifierBit : quint32 { ModAlt = 0x1, ModControl = 0x2, ModShift = 0x4, ModWin = 0x8 };

  explicit QxtGlobalShortcutPrivate(QxtGlobalShortcut *owner);
  ~QxtGlobalShortcutPrivate() override;

  bool setShortcut(const QKeySequence &shortcut);
  bool unsetShortcut();

  bool nativeEventFilter(const QByteArray &eventType, void *message, long *result) override;

  static quint32 nativeKeycode(Qt::Key key);
  static quint32 nativeModifiers(Qt::KeyboardModifiers modifiers);
  static quint32 identifier(quint32 nativeKey, quint32 nativeMods) { return nativeMods ^ nativeKey; }
  // Called by the platform's filter with a hot key it received.
  static void activateShortcut(quint32 nativeKey, quint32 nativeMods);
  static QxtGlobalShortcut *ownerOf(quint32 nativeKey, quint32 nativeMods);

  QxtGlobalShortcut *q;
  bool enabled = true;
  Qt::Key key = Qt::Key(0);
  Qt::KeyboardModifiers mods = Qt::NoModifier;
  QKeySequence sequence;

private:
  // Implemented per platform (qxtglobalshortcut_x11.cpp, ...).
  static bool registerShortcut(quint32 nativeKey, quint32 nativeMods);
  static bool unregisterShortcut(quint32 nativeKey, quint32 nativeMods);

  static QHash<QPair<quint32, quint32>, QxtGlobalShortcut *> s_shortcuts;
  static QList<QxtGlobalShortcutPrivate *> s_instances; // the first is the installed filter
};
