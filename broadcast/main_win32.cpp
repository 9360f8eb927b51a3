// Crier on Windows: the forms with their windows drawn by the standard
// Win32 controls.
#include "frmmain.h"
#include "system.h"
#include "win32toolkit.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    forms::win32::Toolkit toolkit;
    forms::System system;
    crier::FrmMain frmMain(toolkit, system);
    frmMain.show();
    // Ends when the window is closed (or the countdown ends the process).
    return toolkit.run();
}
