#include "capture/gst_ptr.h"

#include <mutex>

namespace lumivex {

void ensureGstreamer() {
  static std::once_flag once;
  std::call_once(once, [] { gst_init(nullptr, nullptr); });
}

}  // namespace lumivex
