#pragma once
// Action data: every change of a board as one JSON object {"id", "op", ...}. The id is unique
// per change, so a change that arrives twice is applied once.
//
//   draw     board, items[]            items drawn (pen, line, ellipse, rectangle, copies)
//   hide     board, items[], [image, imageBefore]  erase, remove, clear, clear drawings
//   undo     target                    reverses a draw or hide
//   redo     target                    repeats it
//   board    board, [url]              a board added
//   file     file, boards[], urls[]    a document added, one board per page
//   goto     board                     the current board changed
//   delete   boards[]                  boards deleted
//   color    board, color              background colour of one board ("" board: all boards)
//   image    board, url                background image of one board

#include "sdk/board/boarditem.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>

namespace board {
namespace op {
extern const char kDraw[], kHide[], kUndo[], kRedo[], kBoard[], kFile[], kGoto[], kDelete[],
    kColor[], kImage[];
}

QJsonObject itemToJson(const Item &item);
// False when the object is not a well-formed item.
bool itemFromJson(const QJsonObject &o, Item *item);

QJsonArray idsToJson(const std::vector<std::string> &ids);
std::vector<std::string> idsFromJson(const QJsonValue &v);
std::string stringOf(const QJsonObject &o, const char *key);
// A JSON number within 0 .. 2^32-1 (a colour, a width); false for anything else.
bool readUInt(const QJsonValue &v, uint32_t *out);

// The actions in a JSON value: one object or a list of them. Anything else yields none.
QList<QJsonObject> actionsOf(const QJsonValue &value);
// The actions in a piece of action data: one object or a list of them. Anything else yields none.
QList<QJsonObject> readActions(const QByteArray &data);
QByteArray writeAction(const QJsonObject &action);

} // namespace board
