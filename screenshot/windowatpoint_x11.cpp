// X11: a window manager lists the client windows bottom to top in _NET_CLIENT_LIST_STACKING;
// without one the root's mapped children, in stacking order, are the windows.

#include "screenshot/windowatpoint.h"

#include <QVector>
#include <QX11Info>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace windowatpoint {

namespace {

QVector<Window> managedStack(Display *dpy, Window root) {
  QVector<Window> stack;
  const Atom property = XInternAtom(dpy, "_NET_CLIENT_LIST_STACKING", True);
  if (property == None) return stack;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char *data = nullptr;
  if (XGetWindowProperty(dpy, root, property, 0, 1 << 16, False, XA_WINDOW, &type, &format, &count,
                         &remaining, &data) == Success &&
      data && format == 32) {
    const auto *windows = reinterpret_cast<const unsigned long *>(data);
    for (unsigned long i = 0; i < count; ++i) stack.append(Window(windows[i]));
  }
  if (data) XFree(data);
  return stack;
}

QVector<Window> rootChildren(Display *dpy, Window root) {
  QVector<Window> stack;
  Window rootReturn = 0, parent = 0;
  Window *children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(dpy, root, &rootReturn, &parent, &children, &count)) {
    for (unsigned int i = 0; i < count; ++i) stack.append(children[i]);
  }
  if (children) XFree(children);
  return stack;
}

// The window's outer rectangle in root coordinates, or an empty one when it is not shown.
QRect shownRect(Display *dpy, Window root, Window w) {
  XWindowAttributes attrs;
  if (!XGetWindowAttributes(dpy, w, &attrs) || attrs.map_state != IsViewable || attrs.c_class == InputOnly)
    return QRect();
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(dpy, w, root, 0, 0, &x, &y, &child);
  const int border = attrs.border_width;
  return QRect(x - border, y - border, attrs.width + 2 * border, attrs.height + 2 * border);
}

} // namespace

QRect windowRectAt(const QPoint &global, const QSet<WId> &excluded) {
  if (!QX11Info::isPlatformX11()) return QRect();
  Display *dpy = QX11Info::display();
  const Window root = Window(QX11Info::appRootWindow());
  QVector<Window> stack = managedStack(dpy, root);
  if (stack.isEmpty()) stack = rootChildren(dpy, root);
  for (int i = stack.size() - 1; i >= 0; --i) {
    if (excluded.contains(WId(stack[i]))) continue;
    const QRect r = shownRect(dpy, root, stack[i]);
    if (r.contains(global)) return r;
  }
  return QRect();
}

} // namespace windowatpoint
