#include "media/gst_ptr.h"

#include <mutex>

namespace lumivex {

bool ensureGstreamer() {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] { ready = gst_is_initialized() || gst_init_check(nullptr, nullptr, nullptr); });
  return ready;
}

}  // namespace lumivex
