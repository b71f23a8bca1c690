// Kavrel.exe's entry point.
#include "app/KavrelApp.h"
#include "platform/win32/ShippedRuntime.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // First of all: every DLL loaded from now on (by Windows for themes and input methods,
    // or by Kavrel) comes from the system folder, never from the medium's or the current
    // folder. Windows 7 has it only with KB2533623, hence looked up.
    if (const auto set = reinterpret_cast<BOOL(WINAPI*)(DWORD)>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")))) {
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    kavrel::PrepareProcess();
    // Out of memory (Kavrel.exe has no exceptions to report it) or terminate: the same
    // ending as an error inside a window procedure.
    kavrel::SetFatalErrorHandler(&kavrel::CKavrelApp::OnUnexpectedError);
    kavrel::CKavrelApp app;
    return app.Main(::GetCommandLineW());
}
