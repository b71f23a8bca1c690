// The application object: start-up hook and the message loop.
#pragma once

#include <windows.h>

namespace kavrel {

class CWinApp {
public:
    virtual ~CWinApp() = default;
    // False ends the program at once.
    virtual bool InitInstance() = 0;
    // Runs the message loop until WM_QUIT; the exit code.
    int Run();
};

}  // namespace kavrel
