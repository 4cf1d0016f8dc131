// One object of a type per thread, made at the thread's first use and
// destroyed when the thread ends, for state read at every call of a hot
// function: the pointer to it lives in the static TLS block, which takes no
// call to reach (a thread_local object of this library would take one).
#pragma once

#include <pthread.h>

#include <new>

namespace velwin::detail {

// The calling thread's T; null while the thread's own objects are being
// destroyed, or when there is no memory for it. The object is destroyed
// through a pthread key rather than a thread_local destructor: glibc
// aborts the process when it has no memory to register the latter, while
// pthread_setspecific reports the failure, which leaves the thread without
// the object.
template <class T>
T* ThreadObject() {
  static thread_local T* object __attribute__((tls_model("initial-exec"))) = nullptr;
  T* const exiting = reinterpret_cast<T*>(alignof(T));
  if (object != nullptr) return object == exiting ? nullptr : object;
  static const struct Key {
    Key() : made(pthread_key_create(&key, &Destroy) == 0) {}
    static void Destroy(void* p) {
      delete static_cast<T*>(p);
      object = reinterpret_cast<T*>(alignof(T));
    }
    pthread_key_t key{};
    bool made;
  } owner;
  if (!owner.made) return nullptr;
  T* made = new (std::nothrow) T;
  if (made == nullptr) return nullptr;
  if (pthread_setspecific(owner.key, made) != 0) {
    delete made;
    return nullptr;
  }
  object = made;
  return object;
}

}  // namespace velwin::detail
