#include "core/deployment.h"

#include <QApplication>
#include <QDebug>

// Start-up order and shutdown are built in core/ (next step); until then the program only
// proves that the libraries and the resource tree link.
int main(int argc, char **argv) {
  QApplication app(argc, argv);
  qDebug() << Deployment::instance().portalUrl;
  return 0;
}
