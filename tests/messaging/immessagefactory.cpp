#include "immessagefactory.h"

#include "sdk/im/imhandles.h"

ImMessageFactory::~ImMessageFactory() {
  for (im::MessageHandle m : made_)
    im::destroyMessage(m);
}

im::MessageHandle ImMessageFactory::create() {
  made_.push_back(im::createMessage());
  return made_.back();
}

void ImMessageFactory::add(im::MessageHandle msg, im::ElemHandle elem) {
  im::addElem(msg, elem);
  im::destroyElem(elem);
}

void ImMessageFactory::addText(im::MessageHandle msg, const QByteArray &text) {
  im::ElemHandle e = im::createElem(im::IM_ELEM_TEXT);
  im::setTextContent(e, text.constData(), uint32_t(text.size()));
  add(msg, e);
}

void ImMessageFactory::addCustom(im::MessageHandle msg, const QByteArray &data,
                                 const QByteArray &ext) {
  im::ElemHandle e = im::createElem(im::IM_ELEM_CUSTOM);
  im::setCustomData(e, data.constData(), uint32_t(data.size()));
  im::setCustomExt(e, ext.constData(), uint32_t(ext.size()));
  add(msg, e);
}

void ImMessageFactory::addFace(im::MessageHandle msg, int index) {
  im::ElemHandle e = im::createElem(im::IM_ELEM_FACE);
  im::setFaceIndex(e, index);
  add(msg, e);
}

void ImMessageFactory::addFile(im::MessageHandle msg, const QByteArray &data, const QByteArray &name) {
  im::ElemHandle e = im::createElem(im::IM_ELEM_FILE);
  im::setFileData(e, data.constData(), uint32_t(data.size()));
  im::setFileName(e, name.constData(), uint32_t(name.size()));
  add(msg, e);
}

void ImMessageFactory::addElemOfType(im::MessageHandle msg, im::ElemType type) {
  add(msg, im::createElem(type));
}

void ImMessageFactory::setSender(im::MessageHandle msg, const QString &userId) { msg->message.from = userId; }

void ImMessageFactory::setPushExt(im::MessageHandle msg, const QByteArray &ext) {
  im::OfflinePushHandle push = im::createOfflinePush();
  im::setOfflinePushExt(push, ext.constData(), uint32_t(ext.size()));
  im::setMessageOfflinePush(msg, push);
  im::destroyOfflinePush(push);
}

im::MessageHandle ImMessageFactory::text(const QByteArray &t) {
  im::MessageHandle m = create();
  addText(m, t);
  return m;
}

im::MessageHandle ImMessageFactory::whiteboard(const QByteArray &data) {
  im::MessageHandle m = create();
  addCustom(m, data, "TXWhiteBoardExt");
  setPushExt(m, "TXWhiteBoardExt");
  return m;
}
