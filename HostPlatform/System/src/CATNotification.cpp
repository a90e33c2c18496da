#include "CATNotification.h"

CATNotification::CATNotification(const CATString& kind) : kind_(kind) {}

CATNotification::~CATNotification() = default;
