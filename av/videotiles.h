#pragma once
// The stage tiles as the frame routing sees them: lent per user, found by user id. Every
// method may be called on the SDK's media thread; widget changes happen later on the GUI
// thread, in call order.

#include <QString>

class VideoTarget;

class VideoTiles {
public:
  static constexpr int kAtEnd = -1;
  static constexpr int kFirst = 0;

  virtual ~VideoTiles() = default;
  virtual VideoTarget *find(const QString &userId) const = 0;
  // The user's tile (lending one if needed), labelled and placed in the strip; null when
  // every tile is lent.
  virtual VideoTarget *attach(const QString &userId, const QString &name, int position) = 0;
  virtual void detach(const QString &userId) = 0;
  // A new label for a lent tile (the roster learnt the name after the stream began, or the
  // user renamed itself); nothing when the user has no tile.
  virtual void relabel(const QString &userId, const QString &name) = 0;
  virtual int count() const = 0;
};
