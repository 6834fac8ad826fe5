#include "widgets/qxtglobalshortcut_p.h"
#include "widgets/qxtglobalshortcut.h"

#include <QAbstractEventDispatcher>
#include <QDebug>
#include <unordered_map>

QHash<QPair<quint32, quint32>, QxtGlobalShortcut *> QxtGlobalShortcutPrivate::s_shortcuts;
QList<QxtGlobalShortcutPrivate *> QxtGlobalShortcutPrivate::s_instances;

namespace {

// Windows virtual-key codes of the named keys; letters and digits are their own codes.
const std::unordered_map<int, quint32> &virtualKeys() {
  static const std::unordered_map<int, quint32> table = {
      {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09}, {Qt::Key_Backtab, 0x09},
      {Qt::Key_Clear, 0x0C}, {Qt::Key_Return, 0x0D}, {Qt::Key_Enter, 0x0D},
      {Qt::Key_Pause, 0x13}, {Qt::Key_Escape, 0x1B}, {Qt::Key_Space, 0x20},
      {Qt::Key_PageUp, 0x21}, {Qt::Key_PageDown, 0x22}, {Qt::Key_End, 0x23},
      {Qt::Key_Home, 0x24}, {Qt::Key_Left, 0x25}, {Qt::Key_Up, 0x26}, {Qt::Key_Right, 0x27},
      {Qt::Key_Down, 0x28}, {Qt::Key_Select, 0x29}, {Qt::Key_Printer, 0x2A},
      {Qt::Key_Execute, 0x2B}, {Qt::Key_Print, 0x2C}, {Qt::Key_Insert, 0x2D},
      {Qt::Key_Delete, 0x2E}, {Qt::Key_Help, 0x2F}, {Qt::Key_Sleep, 0x5F},
      {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B}, {Qt::Key_Comma, 0x6C},
      {Qt::Key_Minus, 0x6D}, {Qt::Key_Period, 0x6E}, {Qt::Key_Slash, 0x6F},
      {Qt::Key_NumLock, 0x90}, {Qt::Key_ScrollLock, 0x91},
      {Qt::Key_Back, 0xA6}, {Qt::Key_Forward, 0xA7}, {Qt::Key_Refresh, 0xA8},
      {Qt::Key_Stop, 0xA9}, {Qt::Key_Search, 0xAA}, {Qt::Key_Favorites, 0xAB},
      {Qt::Key_HomePage, 0xAC}, {Qt::Key_VolumeMute, 0xAD}, {Qt::Key_VolumeDown, 0xAE},
      {Qt::Key_VolumeUp, 0xAF}, {Qt::Key_MediaNext, 0xB0}, {Qt::Key_MediaPrevious, 0xB1},
      {Qt::Key_MediaStop, 0xB2}, {Qt::Key_MediaPlay, 0xB3}, {Qt::Key_MediaTogglePlayPause, 0xB3},
      {Qt::Key_LaunchMail, 0xB4}, {Qt::Key_LaunchMedia, 0xB5}, {Qt::Key_Launch0, 0xB6},
      {Qt::Key_Launch1, 0xB7},
  };
  return table;
}

constexpr quint32 kFunctionKeyBase = 0x70; // F1

} // namespace

QxtGlobalShortcutPrivate::QxtGlobalShortcutPrivate(QxtGlobalShortcut *owner) : q(owner) {
  s_instances.append(this);
  if (s_instances.size() == 1) QAbstractEventDispatcher::instance()->installNativeEventFilter(this);
}

QxtGlobalShortcutPrivate::~QxtGlobalShortcutPrivate() {
  // One filter serves every object: the first one installs itself; when it goes while
  // others remain, the next one takes over, and the last one leaves nothing installed.
  const bool wasFilter = s_instances.first() == this;
  s_instances.removeOne(this);
  auto *dispatcher = QAbstractEventDispatcher::instance();
  if (!wasFilter || !dispatcher) return;
  dispatcher->removeNativeEventFilter(this);
  if (!s_instances.isEmpty()) dispatcher->installNativeEventFilter(s_instances.first());
}

quint32 QxtGlobalShortcutPrivate::nativeKeycode(Qt::Key key) {
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
    return quint32(key);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return kFunctionKeyBase + quint32(key - Qt::Key_F1);
  const auto it = virtualKeys().find(key);
  return it == virtualKeys().end() ? 0 : it->second;
}

quint32 QxtGlobalShortcutPrivate::nativeModifiers(Qt::KeyboardModifiers modifiers) {
  quint32 native = 0;
  if (modifiers & Qt::ShiftModifier) native |= ModShift;
  if (modifiers & Qt::ControlModifier) native |= ModControl;
  if (modifiers & Qt::AltModifier) native |= ModAlt;
  if (modifiers & Qt::MetaModifier) native |= ModWin;
  return native;
}

bool QxtGlobalShortcutPrivate::setShortcut(const QKeySequence &shortcut) {
  sequence = shortcut;
  const int combined = shortcut.isEmpty() ? 0 : shortcut[0];
  key = Qt::Key(combined & ~int(Qt::KeyboardModifierMask));
  mods = Qt::KeyboardModifiers(combined & int(Qt::KeyboardModifierMask));
  const quint32 nativeKey = nativeKeycode(key);
  const quint32 nativeMods = nativeModifiers(mods);
  const bool ok = registerShortcut(nativeKey, nativeMods);
  s_shortcuts.insert(qMakePair(nativeKey, nativeMods), q);
  if (!ok) qWarning().noquote() << "QxtGlobalShortcut failed to register:" << sequence.toString();
  return ok;
}

bool QxtGlobalShortcutPrivate::unsetShortcut() {
  const quint32 nativeKey = nativeKeycode(key);
  const quint32 nativeMods = nativeModifiers(mods);
  const bool ok = unregisterShortcut(nativeKey, nativeMods);
  if (ok)
    s_shortcuts.remove(qMakePair(nativeKey, nativeMods));
  else
    qWarning().noquote() << "QxtGlobalShortcut failed to unregister:" << sequence.toString();
  key = Qt::Key(0);
  mods = Qt::NoModifier;
  return ok;
}

QxtGlobalShortcut *QxtGlobalShortcutPrivate::ownerOf(quint32 nativeKey, quint32 nativeMods) {
  return s_shortcuts.value(qMakePair(nativeKey, nativeMods));
}

void QxtGlobalShortcutPrivate::activateShortcut(quint32 nativeKey, quint32 nativeMods) {
  QxtGlobalShortcut *shortcut = ownerOf(nativeKey, nativeMods);
  if (shortcut && shortcut->isEnabled()) emit shortcut->activated();
}
