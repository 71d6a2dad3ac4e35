#pragma once

// The interface moved to app/core so the capture library can implement it without including app/.
#include "app/core/capture_service.h"
