// Modal dialog base. One dialog procedure stores `this` at WM_INITDIALOG and forwards
// to virtual handlers. A dialog run with no parent is owned by the application's main
// window, which is disabled while the dialog runs and stays behind it.
#pragma once

#include "framework/Window.h"

namespace kavrel {

class CDialog : public CWindow {
public:
    explicit CDialog(int templateId, HWND parent = nullptr)
        : m_nTemplateId(templateId), m_hParent(parent) {}

    // Runs the dialog; its result, or -1 when it could not be shown.
    INT_PTR DoModal();

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Commands other than IDOK/IDCANCEL; true when handled.
    virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    // True when WM_PAINT was handled.
    virtual bool OnPaint() { return false; }
    void EndDialog(INT_PTR result) { ::EndDialog(m_hWnd, result); }

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam);

    int m_nTemplateId;
    HWND m_hParent;
};

// The window that owns dialogs run without a parent (the main frame).
void SetMainWindow(HWND hwnd);
HWND GetMainWindow();

}  // namespace kavrel
