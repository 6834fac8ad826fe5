#include "av/qtwidgetup.h"

#include "ui_qtwidgetup.h"

QtWidgetUp::QtWidgetUp(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::QtWidgetUp>()) {
  ui->setupUi(this);
  setFixedHeight(kHeight);
}

QtWidgetUp::~QtWidgetUp() = default;

QHBoxLayout *QtWidgetUp::tileLayout() const { return ui->layoutMemberCamera; }
