#pragma once
// Builds IM messages locally (without a hub) for feeding the message hook directly.

#include "sdk/im/imsdk.h"

#include <QByteArray>
#include <QString>
#include <vector>

class ImMessageFactory {
public:
  ImMessageFactory() = default;
  ImMessageFactory(const ImMessageFactory &) = delete;
  ImMessageFactory &operator=(const ImMessageFactory &) = delete;
  ~ImMessageFactory(); // destroys every message made

  im::MessageHandle create();
  void addText(im::MessageHandle msg, const QByteArray &text);
  void addCustom(im::MessageHandle msg, const QByteArray &data, const QByteArray &ext);
  void addFace(im::MessageHandle msg, int index);
  void addFile(im::MessageHandle msg, const QByteArray &data, const QByteArray &name);
  void addElemOfType(im::MessageHandle msg, im::ElemType type);
  void setPushExt(im::MessageHandle msg, const QByteArray &ext);
  // As the hub stamps it on a received message.
  void setSender(im::MessageHandle msg, const QString &userId);

  // Convenience: a message of one text element, optionally with a push extension.
  im::MessageHandle text(const QByteArray &text);
  im::MessageHandle whiteboard(const QByteArray &data);

private:
  void add(im::MessageHandle msg, im::ElemHandle elem);
  std::vector<im::MessageHandle> made_;
};
