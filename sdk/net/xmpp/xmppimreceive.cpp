// What reaches the XMPP transport, live or from the archives after a cut: the room's presences
// (who is who), and messages turned into ours, judged by the hub's rules and handed on once
// each through the inbox.
#include "sdk/net/xmpp/xmppimtransport.h"

#include "protocol/messagerights.h"
#include "protocol/protocol.h"
#include "protocol/xmpppayload.h"
#include "sdk/net/xmpp/xmpppayload.h"

#include <QXmppClient.h>
#include <QXmppMessage.h>
#include <QXmppMucIq.h>
#include <QXmppPresence.h>
#include <QXmppUtils.h>

namespace sdk {

using hubproto::Conversation;
using xmppim::Inbox;

namespace {
constexpr int kSelfPresence = 110; // MUC status: this presence is our own

// What the hub would have refused from this sender never reaches the program either. Who
// holds the stage grant only the hub knows: the classroom drops board data from anyone else,
// as it does on the hub's path.
bool refusedFrom(const hubproto::ImMessage &m, bool owner) {
  QString why;
  return hubproto::refusal(hubproto::scanMessage(m), hubproto::SenderRights{owner, true}, hubproto::kMaxChatTextBytes,
                           &why) != hubproto::Ok;
}

// The archive id a live message carries from stampedBy (the server strips what a client writes
// there); empty when none.
QString archiveIdOf(const QXmppMessage &message, const QString &stampedBy) {
  return message.stanzaIdBy().compare(stampedBy, Qt::CaseInsensitive) == 0 ? message.stanzaId() : QString();
}

qint64 nowMs() { return QDateTime::currentMSecsSinceEpoch(); }

void stamp(hubproto::ImMessage *m, const QString &archiveId) {
  m->timeMs = hubproto::xmppServerTimeMs(archiveId, nowMs());
  m->time = static_cast<quint32>(m->timeMs / 1000);
}
} // namespace

void XmppImTransport::onPresence(const QXmppPresence &presence) {
  if (m_roomId && QXmppUtils::jidToBareJid(presence.from()) == roomJid())
    onRoomPresence(presence);
}

void XmppImTransport::onRoomPresence(const QXmppPresence &presence) {
  const QString nick = QXmppUtils::jidToResource(presence.from());
  if (presence.type() == QXmppPresence::Error) {
    if (!m_inRoom)
      finishJoin(hubproto::NotAllowed, QStringLiteral("the IM room refused the join"));
    return;
  }
  if (presence.type() == QXmppPresence::Unavailable) {
    m_occupants.remove(nick);
    // Out of the room while signed in (the room went down with the server, or we were
    // removed): the link is dropped and brought back, and the room says whether we are
    // still welcome.
    if (presence.mucStatusCodes().contains(kSelfPresence) && m_inRoom && m_state == State::SignedIn)
      lose(hubproto::ClientConnectionLost, QStringLiteral("removed from the IM room"));
    return;
  }
  const QXmppMucItem item = presence.mucItem();
  const QString realJid = QXmppUtils::jidToBareJid(item.jid());
  // Without the real account the room is not the non-anonymous one we expect.
  if (!realJid.isEmpty() && QXmppUtils::jidToDomain(realJid) == m_address.domain)
    m_occupants.insert(nick, Occupant{QXmppUtils::jidToUser(realJid), item.affiliation() == QXmppMucItem::OwnerAffiliation});
  if (presence.mucStatusCodes().contains(kSelfPresence) && !m_inRoom) {
    m_inRoom = true;
    m_owner = item.affiliation() == QXmppMucItem::OwnerAffiliation;
    if (!m_joinedAt.isValid())
      m_joinedAt = QDateTime::currentDateTimeUtc();
    finishJoin(hubproto::Ok, QString());
  }
}

const XmppImTransport::Occupant *XmppImTransport::occupantByUser(const QString &userId) const {
  for (const Occupant &o : m_occupants)
    if (o.userId == userId)
      return &o;
  return nullptr;
}

void XmppImTransport::onMessage(const QXmppMessage &message) {
  if (m_state != State::SignedIn && m_state != State::Resuming)
    return;
  if (message.type() == QXmppMessage::Error) {
    m_outbox.confirm(message.id()); // refused: sending it again would not change that
    return;
  }
  if (message.type() == QXmppMessage::GroupChat) {
    if (QXmppUtils::jidToBareJid(message.from()) == roomJid())
      hand(groupArrival(message, archiveIdOf(message, roomJid()), QString()));
    return;
  }
  hand(directArrival(message, archiveIdOf(message, ownBareJid())));
}

// A room message: its sender is the account the archive names or, live, the occupant behind
// the nickname. Our own (the room sending it back) says the server took it.
Inbox::Arrival XmppImTransport::groupArrival(const QXmppMessage &message, const QString &archiveId,
                                             const QString &realJid) {
  Inbox::Arrival a{roomJid(), archiveId, false, {}};
  if (!m_inRoom && m_state != State::Resuming)
    return a;
  QString sender;
  if (!realJid.isEmpty()) {
    if (QXmppUtils::jidToDomain(realJid) == m_address.domain)
      sender = QXmppUtils::jidToUser(realJid);
  } else {
    const auto occupant = m_occupants.constFind(QXmppUtils::jidToResource(message.from()));
    if (occupant != m_occupants.cend())
      sender = occupant->userId;
  }
  if (sender == m_userId) {
    m_outbox.confirm(message.id());
    return a;
  }
  if (sender.isEmpty() || !xmppim::readPayload(message, &a.message))
    return a; // unknown sender, or not one of ours
  const Occupant *known = occupantByUser(sender);
  if (refusedFrom(a.message, known && known->owner))
    return a;
  a.message.from = sender;
  a.message.conv = Conversation{Conversation::Group, QString::number(m_roomId)};
  stamp(&a.message, archiveId);
  a.deliver = true;
  return a;
}

// One to one, stamped by our own archive; only from people in the room, as on the hub. Our
// own (found in the archive after a cut) says the server took it.
Inbox::Arrival XmppImTransport::directArrival(const QXmppMessage &message, const QString &archiveId) {
  Inbox::Arrival a{ownBareJid(), archiveId, false, {}};
  const QString from = QXmppUtils::jidToBareJid(message.from());
  if (message.type() != QXmppMessage::Chat || QXmppUtils::jidToDomain(from) != m_address.domain)
    return a;
  if (from.compare(ownBareJid(), Qt::CaseInsensitive) == 0) {
    m_outbox.confirm(message.id());
    return a;
  }
  const Occupant *sender = occupantByUser(QXmppUtils::jidToUser(from));
  if (!sender || !xmppim::readPayload(message, &a.message) || refusedFrom(a.message, sender->owner))
    return a;
  a.message.from = sender->userId;
  a.message.conv = Conversation{Conversation::C2C, sender->userId};
  stamp(&a.message, archiveId);
  a.deliver = true;
  return a;
}

void XmppImTransport::hand(Inbox::Arrival arrival) {
  for (const hubproto::ImMessage &m : m_inbox.arrive(std::move(arrival)))
    emit received(m);
}

// Both archives after the last ids seen (or since the sign-in and the join, when none was).
void XmppImTransport::catchUp() {
  m_catchUpsLeft = 2;
  m_catchUpFailed = false;
  const QString room = roomJid();
  const QString own = ownBareJid();
  m_archive->fetch(room, m_inbox.lastId(room), m_joinedAt,
                   [this, room](bool ok, const QVector<xmppim::ArchiveQuery::Found> &found) { caughtUp(room, ok, found); });
  m_archive->fetch(own, m_inbox.lastId(own), m_signedInAt,
                   [this, own](bool ok, const QVector<xmppim::ArchiveQuery::Found> &found) { caughtUp(own, ok, found); });
}

void XmppImTransport::caughtUp(const QString &archive, bool ok, const QVector<xmppim::ArchiveQuery::Found> &found) {
  if (m_state != State::Resuming)
    return;
  m_catchUpFailed |= !ok;
  for (const xmppim::ArchiveQuery::Found &f : found) {
    if (archive == ownBareJid())
      hand(directArrival(f.message, f.id));
    else
      hand(groupArrival(f.message, f.id, f.realJid));
  }
  if (--m_catchUpsLeft > 0)
    return;
  if (m_catchUpFailed) {
    dropStream();
    m_state = State::Lost;
    m_inbox.discard();
    return finishResume(hubproto::ClientConnectionLost, QStringLiteral("the IM archive did not answer"));
  }
  m_state = State::SignedIn;
  // What the server never took goes again, under the same id.
  for (const QXmppMessage &unsent : m_outbox.takeAll()) {
    m_client->sendPacket(unsent);
    m_outbox.add(unsent, nowMs());
  }
  for (const hubproto::ImMessage &m : m_inbox.release())
    emit received(m);
  finishResume(hubproto::Ok, QString());
}

} // namespace sdk
