// The view: owns the update description, shows the backdrop picture and leads the user
// through the pages. Each step is a command posted to itself; each page's result
// decides the next command, or tells the main frame to close.
#pragma once

#include <windows.h>

#include "description/UpdateDescription.h"
#include "framework/Window.h"
#include "platform/win32/Win32Platform.h"

namespace kavrel {

class CKavrelView : public CWnd {
public:
    explicit CKavrelView(Win32Platform& platform) : m_platform(platform) {}
    bool Create(HWND parent, const RECT& rect);

    UpdateDescription m_desc;

protected:
    int OnCreate() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnPaint() override;

private:
    void OnPageIntro();
    void OnPageDestination();
    void OnPageConfirm();
    int RunUpdate();
    void CloseMainFrame() const;

    Win32Platform& m_platform;
};

}  // namespace kavrel
