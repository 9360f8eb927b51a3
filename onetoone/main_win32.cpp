// Quillpost on Windows: the form with its window drawn by the standard
// Win32 controls.
#include "frmmain.h"
#include "system.h"
#include "win32toolkit.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    forms::win32::Toolkit toolkit;
    forms::System system;
    quillpost::FrmMain frmMain(toolkit, system);
    frmMain.show();
    // Ends when the window is closed.
    return toolkit.run();
}
