#pragma once
// The on-stage students' cameras, one tile each in a row, named from the roster. A tile
// comes with the student's first camera frame while on stage and goes when the student is off
// stage (taken down, everybody down, camera closed) or has left.

#include "protocol/mediaframe.h"

#include <QHash>
#include <QWidget>

class ConsoleRoster;
class QHBoxLayout;
class QLabel;
class QWidgetVideoRender;

class StudentTiles : public QWidget {
  Q_OBJECT
public:
  static constexpr int kTileWidth = 240;
  static constexpr int kTileHeight = 180;

  StudentTiles(const QString &teacherId, ConsoleRoster *roster, QWidget *parent = nullptr);

  void onFrame(const hubproto::MediaFrame &frame);
  // A student's camera stopped coming: the tile shows black until its next frame.
  void onStreamEnded(const QString &userId, hubproto::Source source);
  QWidgetVideoRender *tile(const QString &userId) const { return m_tiles.value(userId); }
  QStringList shown() const { return m_tiles.keys(); }

private:
  void onRosterChanged();

  QString m_teacherId;
  ConsoleRoster *m_roster;
  QHBoxLayout *m_row;
  QLabel *m_empty;
  QHash<QString, QWidgetVideoRender *> m_tiles;
};
