// X11: a hot key is a passive key grab on the root window. The grab is taken once per
// combination of the lock modifiers, so that Num Lock or Caps Lock does not disable it.

#include "widgets/qxtglobalshortcut_p.h"

#include <QHash>
#include <QVector>
#include <QX11Info>
#include <X11/XF86keysym.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <unordered_map>
#include <xcb/xcb.h>

namespace {

using Grab = QPair<quint32, quint32>; // (X key code, X modifier state)

// Virtual-key codes of the table → X key symbols. Letters and digits are handled apart.
const std::unordered_map<quint32, quint32> &keySymbols() {
  static const std::unordered_map<quint32, quint32> table = {
      {0x08, XK_BackSpace}, {0x09, XK_Tab}, {0x0C, XK_Clear}, {0x0D, XK_Return},
      {0x13, XK_Pause}, {0x1B, XK_Escape}, {0x20, XK_space}, {0x21, XK_Prior},
      {0x22, XK_Next}, {0x23, XK_End}, {0x24, XK_Home}, {0x25, XK_Left}, {0x26, XK_Up},
      {0x27, XK_Right}, {0x28, XK_Down}, {0x29, XK_Select}, {0x2A, XK_Print},
      {0x2B, XK_Execute}, {0x2C, XK_Print}, {0x2D, XK_Insert}, {0x2E, XK_Delete},
      {0x2F, XK_Help}, {0x5F, XF86XK_Sleep}, {0x6A, XK_KP_Multiply}, {0x6B, XK_KP_Add},
      {0x6C, XK_KP_Separator}, {0x6D, XK_KP_Subtract}, {0x6E, XK_KP_Decimal},
      {0x6F, XK_KP_Divide}, {0x90, XK_Num_Lock}, {0x91, XK_Scroll_Lock},
      {0xA6, XF86XK_Back}, {0xA7, XF86XK_Forward}, {0xA8, XF86XK_Refresh},
      {0xA9, XF86XK_Stop}, {0xAA, XF86XK_Search}, {0xAB, XF86XK_Favorites},
      {0xAC, XF86XK_HomePage}, {0xAD, XF86XK_AudioMute}, {0xAE, XF86XK_AudioLowerVolume},
      {0xAF, XF86XK_AudioRaiseVolume}, {0xB0, XF86XK_AudioNext}, {0xB1, XF86XK_AudioPrev},
      {0xB2, XF86XK_AudioStop}, {0xB3, XF86XK_AudioPlay}, {0xB4, XF86XK_Mail},
      {0xB5, XF86XK_AudioMedia}, {0xB6, XF86XK_MyComputer}, {0xB7, XF86XK_Calculator},
  };
  return table;
}

constexpr quint32 kVirtualF1 = 0x70;
constexpr quint32 kVirtualF24 = 0x87;
constexpr quint32 kMeaningfulState = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
const quint32 kLockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

// Grabs this process holds, with the table pair each one stands for.
QHash<Grab, QPair<quint32, quint32>> &grabs() {
  static QHash<Grab, QPair<quint32, quint32>> held;
  return held;
}

quint32 keySymbol(quint32 virtualKey) {
  if (virtualKey >= 'A' && virtualKey <= 'Z') return virtualKey - 'A' + XK_a;
  if (virtualKey >= '0' && virtualKey <= '9') return virtualKey;
  if (virtualKey >= kVirtualF1 && virtualKey <= kVirtualF24) return XK_F1 + (virtualKey - kVirtualF1);
  const auto it = keySymbols().find(virtualKey);
  return it == keySymbols().end() ? 0 : it->second;
}

quint32 xState(quint32 nativeMods) {
  quint32 state = 0;
  if (nativeMods & QxtGlobalShortcutPrivate::ModShift) state |= XCB_MOD_MASK_SHIFT;
  if (nativeMods & QxtGlobalShortcutPrivate::ModControl) state |= XCB_MOD_MASK_CONTROL;
  if (nativeMods & QxtGlobalShortcutPrivate::ModAlt) state |= XCB_MOD_MASK_1;
  if (nativeMods & QxtGlobalShortcutPrivate::ModWin) state |= XCB_MOD_MASK_4;
  return state;
}

// The X grab for a table pair; key code 0 when the key has no place on this keyboard.
Grab xGrab(quint32 nativeKey, quint32 nativeMods) {
  const quint32 sym = keySymbol(nativeKey);
  const quint32 code = sym ? XKeysymToKeycode(QX11Info::display(), sym) : 0;
  return qMakePair(code, xState(nativeMods));
}

void ungrab(const Grab &grab, int variants) {
  for (int i = 0; i < variants; ++i)
    xcb_ungrab_key(QX11Info::connection(), xcb_keycode_t(grab.first), QX11Info::appRootWindow(),
                   uint16_t(grab.second | kLockVariants[i]));
}

// Grabs every lock variant; all or none.
bool grabAll(const Grab &grab) {
  xcb_connection_t *c = QX11Info::connection();
  const int count = int(sizeof kLockVariants / sizeof kLockVariants[0]);
  for (int i = 0; i < count; ++i) {
    const auto cookie = xcb_grab_key_checked(c, 1, QX11Info::appRootWindow(),
                                             uint16_t(grab.second | kLockVariants[i]),
                                             xcb_keycode_t(grab.first), XCB_GRAB_MODE_ASYNC,
                                             XCB_GRAB_MODE_ASYNC);
    if (xcb_generic_error_t *error = xcb_request_check(c, cookie)) {
      free(error);
      ungrab(grab, i);
      return false;
    }
  }
  return true;
}

} // namespace

bool QxtGlobalShortcutPrivate::registerShortcut(quint32 nativeKey, quint32 nativeMods) {
  if (!QX11Info::isPlatformX11()) return false;
  const Grab grab = xGrab(nativeKey, nativeMods);
  // A second registration of a held hot key fails, as the window system refuses it.
  if (grab.first == 0 || grabs().contains(grab) || !grabAll(grab)) return false;
  grabs().insert(grab, qMakePair(nativeKey, nativeMods));
  return true;
}

bool QxtGlobalShortcutPrivate::unregisterShortcut(quint32 nativeKey, quint32 nativeMods) {
  if (!QX11Info::isPlatformX11()) return false;
  const Grab grab = xGrab(nativeKey, nativeMods);
  if (!grabs().contains(grab)) return false;
  ungrab(grab, int(sizeof kLockVariants / sizeof kLockVariants[0]));
  xcb_flush(QX11Info::connection());
  grabs().remove(grab);
  return true;
}

bool QxtGlobalShortcutPrivate::nativeEventFilter(const QByteArray &eventType, void *message, long *) {
  if (eventType != "xcb_generic_event_t") return false;
  auto *event = static_cast<xcb_generic_event_t *>(message);
  if ((event->response_type & ~0x80) != XCB_KEY_PRESS) return false;
  auto *press = static_cast<xcb_key_press_event_t *>(message);
  const Grab grab = qMakePair(quint32(press->detail), quint32(press->state) & kMeaningfulState);
  const auto it = grabs().constFind(grab);
  if (it != grabs().constEnd()) activateShortcut(it->first, it->second);
  return false; // others may want the key press too
}
