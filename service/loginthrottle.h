#pragma once
// Slows password and code guessing: after too many failed sign-ins within a window, an account
// and a caller's address are each refused for the rest of that window, whatever they send.
// Locks; the HTTP workers share it.

#include "service/serviceclock.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>

class LoginThrottle {
public:
  static constexpr qint64 WindowMs = 15 * 60 * 1000;
  // Failures within WindowMs that lock an account (from any address) or an address (for any
  // account, so one caller cannot walk through the phone numbers).
  static constexpr int AccountFailures = 5;
  static constexpr int AddressFailures = 20;

  explicit LoginThrottle(ServiceClock clock = systemClock()) : m_clock(std::move(clock)) {}

  // Seconds until the phone or the address may try again; 0 when both may now.
  int secondsLocked(const QString &phone, const QString &address) const;
  // phone may be empty (an unknown number counts against the address only).
  void failed(const QString &phone, const QString &address);
  // A right password clears the account's failures; the address keeps its count.
  void succeeded(const QString &phone);

private:
  using Failures = QHash<QString, QList<qint64>>; // key -> failure times, oldest first, at most limit
  int waitFor(const Failures &failures, const QString &key, int limit, qint64 now) const;
  void record(Failures &failures, const QString &key, int limit, qint64 now);

  ServiceClock m_clock;
  mutable QMutex m_mutex;
  Failures m_accounts;
  Failures m_addresses;
};
