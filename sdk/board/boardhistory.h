#pragma once
// A room's whiteboard history: the envelopes of the whiteboard messages the class service kept,
// oldest first. Loaded over HTTP from the class service, or from a source a test sets.

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <cstdint>
#include <functional>

class QNetworkAccessManager;

namespace board {

struct HistoryQuery {
  QString serviceUrl;
  uint32_t roomId = 0;
  QString userId;
  QString userSig;
};

// code 0 with the envelopes, or the failure's code.
using HistoryDone = std::function<void(int code, const QList<QByteArray> &envelopes)>;
// Runs on the library's thread; network is a manager living there.
using HistorySource =
    std::function<void(QNetworkAccessManager *network, const HistoryQuery &query, HistoryDone done)>;

extern const char kHistoryPath[]; // "/board/history", a form-encoded POST
constexpr int kHistoryUnreachable = -1;
constexpr int kHistoryMalformed = -2;
// The history comes in pages; a client reads at most this many.
constexpr int kMaxHistoryPages = 32;

// Process-wide; an empty source restores the HTTP one.
void setHistorySource(HistorySource source);
HistorySource historySource();

// The envelopes in a reply of the history call (the backend's reply envelope around
// data.messages, each a hub message notice). Sets *code to the reply's error code and, when
// asked, *next to where the next page starts (data.next), or -1 on the last page.
QList<QByteArray> envelopesOfReply(const QByteArray &reply, int *code, qint64 *next = nullptr);
// The actions carried by one envelope's "value".
QList<QJsonObject> actionsOfEnvelope(const QByteArray &envelope);

} // namespace board
