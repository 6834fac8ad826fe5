#pragma once
// What the student's real classroom shows, as the fault tests read it: the chat page's lines,
// the board's pixels, the information boxes, the portal's count of those in the class; and the
// student typing a line into the chat.

#include "faultclass.h"

#include <QJsonArray>
#include <QStringList>

class MainForm;

namespace faults {

// A stroke across the middle of the board (canvas points), in red with a broad pen, and the
// point where it is looked for.
QJsonArray strokeAcrossTheBoard();
constexpr int kStrokeX = 800;
constexpr int kStrokeY = 450;
constexpr quint32 kRed = 0xff0100ff;
constexpr int kPenWidth = 150;

// The chat lines the classroom's page shows, oldest first.
QStringList chatRows(MainForm *w);
// Waits until the later line shows, then whether each of the two lines shows once and the
// earlier above the later.
bool showsOnceInOrder(MainForm *w, const QString &earlier, const QString &later, int timeoutMs = 15000);
// Types the line into the classroom's chat input and presses send; false without them.
bool studentSays(MainForm *w, const QString &text);
// Whether the student's board shows red at the canvas point, or a pixel or two beside it
// (a thin pen on a small window).
bool boardShowsRedAt(MainForm *w, int x, int y);
// An information box that says the text shows within the time.
bool boxSays(const QString &text, int timeoutMs = 10000);
// What the portal's class card says, as a classmate signed in at the portal reads it: how many
// are in the class (-1 when the class is not listed).
int onlineInRoom(LocalService &service, quint32 roomId = kRoom);

} // namespace faults
