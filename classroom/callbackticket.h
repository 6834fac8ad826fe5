#pragma once
// The live SDK hands every answer back with a plain user pointer, and some answers come after
// the classroom window is gone. Instead of the object itself the SDK is given a ticket: a number
// that leads back to the object only while it lives. A revoked ticket resolves to null, so a late
// answer is dropped instead of reaching freed memory.
//
//   GetILive()->login(id, sig, &onLogin, &onLoginError, CallbackTicket::of(this));
//   void onLogin(void *data) { if (auto *self = CallbackTicket::resolve<LiveCalls>(data)) ... }
//
// Tickets are never reused. Issuing, revoking and resolving may happen on any thread. visit()
// runs under its owner's own gate, not the table's lock: revoke() waits for a visit to the same
// owner in progress, while answers for other owners (and for this one) go on meanwhile.

#include <QObject>
#include <functional>

class CallbackTicket {
public:
  // The owner's ticket, issued on first use.
  static void *of(QObject *owner);
  // Forgets the owner's ticket; later answers carrying it are dropped.
  static void revoke(QObject *owner);
  // The living owner of a ticket, or null.
  static QObject *owner(void *ticket);
  template <class T> static T *resolve(void *ticket) { return qobject_cast<T *>(owner(ticket)); }
  // Runs fn with the owner while the owner cannot be revoked; false (fn not run) when it is gone.
  // For callbacks on other threads: fn must not wait for the GUI thread.
  static bool visit(void *ticket, const std::function<void(QObject *)> &fn);
  // Every owner with a ticket, oldest first.
  static QList<QObject *> owners();
};
