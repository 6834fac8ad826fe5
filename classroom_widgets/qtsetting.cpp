#include "classroom_widgets/qtsetting.h"

#include "classroom_widgets/qtsettingview.h"

#include <QVBoxLayout>

QtSetting::QtSetting(SettingHost *host, QWidget *parent)
    : PopWindow(parent), m_view(new QtSettingView(host, this)) {
  setObjectName(QStringLiteral("QtSetting"));
  setTitle(QStringLiteral("参数设置"));
  setFixedSize(490, 400);
  mainLayout()->addWidget(m_view);
}

void QtSetting::beforeClose() { m_view->storeAll(); }
