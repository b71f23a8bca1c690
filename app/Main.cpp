// Kavrel.exe's entry point.
#include "app/KavrelApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    kavrel::PrepareProcess();
    kavrel::CKavrelApp app;
    return app.Main(::GetCommandLineW());
}
