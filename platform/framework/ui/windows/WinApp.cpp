// The program's start on Windows: the calling thread becomes the
// window thread, the window versions of the providers are registered, and InitInstance runs.
#include "platform/framework/ui/WinApp.h"

#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/WindowThread.h"
#include "platform/framework/ui/windows/NativeWindow.h"
#include "platform/framework/ui/windows/UiInternal.h"

namespace tessaly::framework {

void InitWindowSystem(int& /*argc*/, char** /*argv*/) {
    detail::StartWindowThread();
    RegisterWindowProviders();
}

} // namespace tessaly::framework

int AfxWinMain(int argc, char** argv) {
    tessaly::framework::InitWindowSystem(argc, argv);
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr) {
        return 1;
    }
    if (pApp->InitInstance()) {
        // A program that keeps running after InitInstance serves its windows until WM_QUIT.
        tessaly::framework::native::Message m{};
        while (tessaly::framework::native::GetQueuedMessage(&m)) {
            tessaly::framework::detail::DeliverQueuedMessage(
                MSG{m.hwnd, m.message, m.wParam, m.lParam, m.time, {m.x, m.y}});
        }
    }
    return pApp->ExitInstance();
}
