#include "whiteboard/boardclassdata.h"

#include "core/deployment.h"

BoardClassData BoardClassData::fromDeployment() {
  BoardClassData data;
  data.previewUrl = Deployment::instance().previewUrl;
  data.serviceUrl = Deployment::instance().backendUrl;
  data.storageUrl = Deployment::instance().storageUrl;
  return data;
}
