#include "ZELIBackboneDataRequest.h"

const char* ZELIBackboneDataRequest::ClassName() {
  return "ZELIBackboneDataRequest";
}
