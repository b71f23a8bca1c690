// Kavrel.exe's entry point.
#include "app/KavrelApp.h"
#include "platform/win32/ShippedRuntime.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    kavrel::PrepareProcess();
    // Out of memory (Kavrel.exe has no exceptions to report it) or terminate: the same
    // ending as an error inside a window procedure.
    kavrel::SetFatalErrorHandler(&kavrel::CKavrelApp::OnUnexpectedError);
    kavrel::CKavrelApp app;
    return app.Main(::GetCommandLineW());
}
