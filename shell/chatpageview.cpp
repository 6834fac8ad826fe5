#include "shell/chatpageview.h"

#include "core/deployment.h"
#include "core/storagepicture.h"

QString ChatPageView::addressWithStore(const QString &url) {
  return storagepicture::chatPageAddress(url, Deployment::instance().storageUrl);
}
