#pragma once

#include "core/frame_overlay.h"
#include "core/frame_sink.h"
