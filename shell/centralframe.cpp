#include "shell/centralframe.h"

CentralFrame::CentralFrame(QWidget *parent) : QFrame(parent) {
  setObjectName(QStringLiteral("centralFrame"));
  setFrameShape(QFrame::NoFrame);
}
