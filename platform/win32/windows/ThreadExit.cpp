// MinGW's threads end by calling their keys' destructors in the order the keys were made. The
// first thread_local the process touches makes the key that frees every thread_local's storage;
// the first thread_local with a destructor makes the key that runs those destructors. Left so,
// a worker that ends frees its thread_locals' storage first and then runs their destructors over
// freed memory (a std::string's buffer freed twice). Registering one destructor before any
// thread_local is touched makes the destructors' key first, so they run while their storage is
// still there.
extern "C" int __cxa_thread_atexit(void (*pfnDtor)(void*), void* pObj, void* pDsoHandle);
extern "C" char __dso_handle;

namespace tessaly::win32::detail {
namespace {

void NoDestructor(void* /*pObj*/) {}

struct CThreadExitOrder {
    CThreadExitOrder() { __cxa_thread_atexit(&NoDestructor, nullptr, &__dso_handle); }
};

// Before every other initializer of the program, which may touch a thread_local.
__attribute__((init_priority(101))) CThreadExitOrder g_threadExitOrder;

} // namespace

// Named from the layer's error functions, which every program calls, so that the linker keeps it.
void EnsureThreadExitOrder() {}

} // namespace tessaly::win32::detail
