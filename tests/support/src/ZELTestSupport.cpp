#include "TestHttpServer.h"
