#include <atomic>

#include <WinAPI/Resource.h>

namespace {
std::atomic<HINSTANCE> g_resource_handle{nullptr};
}

HINSTANCE AfxGetResourceHandle() { return g_resource_handle.load(); }

void AfxSetResourceHandle(HINSTANCE module) { g_resource_handle.store(module); }
