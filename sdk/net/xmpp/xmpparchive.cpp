#include "sdk/net/xmpp/xmpparchive.h"

#include <QDomElement>
#include <QXmppClient.h>
#include <QXmppDataForm.h>
#include <QXmppMamIq.h>
#include <QXmppUtils.h>

namespace xmppim {

namespace {
const char kMamNs[] = "urn:xmpp:mam:2";
const char kForwardNs[] = "urn:xmpp:forward:0";
const char kMucUserNs[] = "http://jabber.org/protocol/muc#user";

QString realJidOf(const QDomElement &message) {
  for (QDomElement x = message.firstChildElement(QStringLiteral("x")); !x.isNull();
       x = x.nextSiblingElement(QStringLiteral("x"))) {
    if (x.namespaceURI() == QLatin1String(kMucUserNs))
      return QXmppUtils::jidToBareJid(x.firstChildElement(QStringLiteral("item")).attribute(QStringLiteral("jid")));
  }
  return QString();
}
} // namespace

void ArchiveQuery::fetch(const QString &archiveJid, const QString &afterId, const QDateTime &since, Done done) {
  const QString queryId = QXmppUtils::generateStanzaHash(16);
  Query q;
  q.archiveJid = archiveJid;
  q.since = since;
  q.done = std::move(done);
  m_queries.insert(queryId, q);
  ask(queryId, afterId);
}

void ArchiveQuery::ask(const QString &queryId, const QString &afterId) {
  Query &q = m_queries[queryId];
  QXmppMamQueryIq iq;
  iq.setType(QXmppIq::Set);
  // The user's own archive is asked without an address.
  if (q.archiveJid != client()->configuration().jidBare())
    iq.setTo(q.archiveJid);
  iq.setQueryId(queryId);
  QList<QXmppDataForm::Field> fields{
      QXmppDataForm::Field(QXmppDataForm::Field::HiddenField, QStringLiteral("FORM_TYPE"), QLatin1String(kMamNs))};
  if (afterId.isEmpty() && q.since.isValid())
    fields.append(QXmppDataForm::Field(QXmppDataForm::Field::TextSingleField, QStringLiteral("start"),
                                       QXmppUtils::datetimeToString(q.since)));
  iq.setForm(QXmppDataForm(QXmppDataForm::Submit, fields));
  QXmppResultSetQuery page;
  page.setMax(kPageSize);
  if (!afterId.isEmpty())
    page.setAfter(afterId);
  iq.setResultSetQuery(page);
  q.iqId = iq.id();
  ++q.pages;
  if (!client()->sendPacket(iq))
    finish(queryId, false);
}

bool ArchiveQuery::handleStanza(const QDomElement &stanza) {
  if (stanza.tagName() == QLatin1String("message")) {
    const QDomElement result = stanza.firstChildElement(QStringLiteral("result"));
    return !result.isNull() && result.namespaceURI() == QLatin1String(kMamNs) &&
           takeResult(result, stanza.attribute(QStringLiteral("from")));
  }
  return stanza.tagName() == QLatin1String("iq") && takeAnswer(stanza);
}

bool ArchiveQuery::takeResult(const QDomElement &result, const QString &from) {
  const auto q = m_queries.find(result.attribute(QStringLiteral("queryid")));
  if (q == m_queries.end())
    return false;
  // Only the archive asked speaks for it (the own archive's results come from the own JID).
  const QString own = client()->configuration().jidBare();
  const QString sender = from.isEmpty() ? own : QXmppUtils::jidToBareJid(from);
  if (sender.compare(q->archiveJid, Qt::CaseInsensitive) != 0)
    return true;
  const QDomElement forwarded = result.firstChildElement(QStringLiteral("forwarded"));
  const QDomElement inner = forwarded.firstChildElement(QStringLiteral("message"));
  if (forwarded.namespaceURI() != QLatin1String(kForwardNs) || inner.isNull())
    return true;
  Found f;
  f.id = result.attribute(QStringLiteral("id"));
  f.message.parse(inner);
  f.realJid = realJidOf(inner);
  if (!f.id.isEmpty() && q->found.size() < kPageSize * kMaxPages)
    q->found.append(f);
  return true;
}

bool ArchiveQuery::takeAnswer(const QDomElement &iq) {
  const QString iqId = iq.attribute(QStringLiteral("id"));
  for (auto q = m_queries.begin(); q != m_queries.end(); ++q) {
    if (q->iqId != iqId)
      continue;
    const QString queryId = q.key();
    if (!QXmppMamResultIq::isMamResultIq(iq)) {
      finish(queryId, false);
      return true;
    }
    QXmppMamResultIq answer;
    answer.parse(iq);
    const QString last = answer.resultSetReply().last();
    if (answer.complete() || last.isEmpty() || q->pages >= kMaxPages)
      finish(queryId, true);
    else
      ask(queryId, last);
    return true;
  }
  return false;
}

void ArchiveQuery::finish(const QString &queryId, bool ok) {
  Query q = m_queries.take(queryId);
  if (q.done)
    q.done(ok, q.found);
}

} // namespace xmppim
