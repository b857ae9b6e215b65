// Linked into every program of the Windows build, ahead of everything else.
//
// With this compiler's runtime a thread keeps its thread_local objects in storage that one
// thread-exit hook frees, while another hook runs their destructors; the hooks run in the order
// they were first set up. The first thread_local in use would set up the freeing hook first, so
// every destructor would run on freed storage and a thread that used one (a decoder's patterns)
// would crash as it ends. Setting the destructors' hook up first, before any thread_local is
// touched, puts them in the right order.

extern "C" int __cxa_thread_atexit(void (*destructor)(void*), void* object, void* dsoHandle);
extern "C" char __dso_handle;

namespace {

void Nothing(void*) {}

struct DestructorsFirst {
  DestructorsFirst() { __cxa_thread_atexit(&Nothing, nullptr, &__dso_handle); }
};

__attribute__((init_priority(101))) DestructorsFirst gDestructorsFirst;

}  // namespace
