#pragma once

// Memory handed from one thread to another through a library built without ThreadSanitizer (GStreamer's
// queues lock with futexes it cannot see). The producer marks the memory released once it is written,
// the consumer acquired before it reads, so the sanitizer learns the order the library guarantees. Both
// compile to nothing in ordinary builds.

#if defined(__SANITIZE_THREAD__)
#define LUMIVEX_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define LUMIVEX_TSAN 1
#endif
#endif

#ifdef LUMIVEX_TSAN
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

namespace lumivex {

inline void handOverReleased([[maybe_unused]] const void* memory) {
#ifdef LUMIVEX_TSAN
  __tsan_release(const_cast<void*>(memory));
#endif
}

inline void handOverAcquired([[maybe_unused]] const void* memory) {
#ifdef LUMIVEX_TSAN
  __tsan_acquire(const_cast<void*>(memory));
#endif
}

}  // namespace lumivex
