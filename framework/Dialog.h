// Dialog base. One dialog procedure stores `this` at WM_INITDIALOG and hands every
// message to the virtual OnMessage, whose base dispatches to the handlers below; a
// dialog that needs another message overrides OnMessage and calls the base for the rest.
// A dialog run with no parent is owned by the application's main window, which is
// disabled while the dialog runs and stays behind it.
#pragma once


#include "framework/Window.h"

namespace kavrel {

class CDialog : public CWindow {
public:
    explicit CDialog(int templateId, HWND parent = nullptr)
        : m_nTemplateId(templateId), m_hParent(parent) {}
    ~CDialog() override;

    // Runs the dialog; its result, or -1 when it could not be shown.
    INT_PTR DoModal();
    // Creates the dialog with no loop of its own (it lives until the object goes);
    // false when it could not be created.
    bool CreateModeless();

protected:
    // The dialog procedure's answer: TRUE when the message was handled.
    virtual INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Commands other than IDOK/IDCANCEL; true when handled.
    virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    // True when WM_PAINT was handled.
    virtual bool OnPaint() { return false; }
    void EndDialog(INT_PTR result);

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND Owner() const;

    int m_nTemplateId;
    HWND m_hParent;
    bool m_bModeless = false;
};

// The window that owns dialogs run without a parent (the main frame).
void SetMainWindow(HWND hwnd);
HWND GetMainWindow();

// Lets the windows repaint and timers run while the thread is busy with a long task,
// without taking any input: the program then never looks hung and never acts on a
// click meant for later.
void PumpPaintAndTimerMessages();

}  // namespace kavrel
