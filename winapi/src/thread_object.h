// One object of a type per thread, made at the thread's first use and
// destroyed when the thread ends, for state read at every call of a hot
// function: the pointer to it lives in the static TLS block, which takes no
// call to reach (a thread_local object of this library would take one).
#pragma once

#include <new>

namespace velwin::detail {

// The calling thread's T; null while the thread's own objects are being
// destroyed, or when there is no memory for it.
template <class T>
T* ThreadObject() {
  static thread_local T* object __attribute__((tls_model("initial-exec"))) = nullptr;
  T* const exiting = reinterpret_cast<T*>(alignof(T));
  if (object != nullptr) return object == exiting ? nullptr : object;
  // Made once per thread: destroys the object with the thread.
  static thread_local struct Owner {
    ~Owner() {
      delete object;
      object = reinterpret_cast<T*>(alignof(T));
    }
  } owner;
  (void)owner;
  object = new (std::nothrow) T;
  return object;
}

}  // namespace velwin::detail
