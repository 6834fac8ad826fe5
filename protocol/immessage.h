#pragma once
// IM messages as the hub protocol carries them: a conversation, elements and the optional
// offline-push extension, with their JSON form (docs/protocol.md, "IM messages").

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QVector>

namespace hubproto {

constexpr int kMaxElements = 256;

struct Element {
  enum Kind { Text, Custom, Face, File };
  Kind kind = Text;
  QString text;      // Text
  QByteArray data;   // Custom, Face (always empty in practice), File
  QString ext;       // Custom
  int faceIndex = 0; // Face
  QString name;      // File

  bool operator==(const Element &o) const;
};

struct Conversation {
  enum Type { Group, C2C };
  Type type = Group;
  QString peer; // group id or user id
};

struct ImMessage {
  Conversation conv;
  QString from;
  quint32 time = 0;  // seconds since 1970
  qint64 timeMs = 0; // milliseconds since 1970
  quint64 seq = 0;
  QVector<Element> elems;
  bool hasOfflinePush = false;
  QString offlinePushExt;
};

QJsonObject elementToJson(const Element &e);
bool elementFromJson(const QJsonValue &v, Element *e, QString *error);
QJsonArray elementsToJson(const QVector<Element> &elems);
// 1 .. kMaxElements elements, each well formed.
bool elementsFromJson(const QJsonValue &v, QVector<Element> *elems, QString *error);

QJsonObject conversationToJson(const Conversation &c);
bool conversationFromJson(const QJsonValue &v, Conversation *c, QString *error);

// The hub's "message" notice, and reading it back on the client side.
QJsonObject messageToJson(const ImMessage &m);
bool messageFromJson(const QJsonObject &o, ImMessage *m, QString *error);

} // namespace hubproto
