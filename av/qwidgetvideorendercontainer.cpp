#include "av/qwidgetvideorendercontainer.h"

#include "av/qwidgetvideorender.h"

#include <QVBoxLayout>

QWidgetVideoRenderContainer::QWidgetVideoRenderContainer(QWidget *parent)
    : QWidget(parent), m_render(new QWidgetVideoRender(this)) {
  setWindowTitle(QStringLiteral("QWidgetVideoRenderContainer"));
  m_render->setObjectName(QStringLiteral("widgetRender"));
  auto *layout = new QVBoxLayout(this);
  layout->setSpacing(0);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_render);
}
