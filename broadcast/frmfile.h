// The file picker of Crier: a drive, a folder and a file; confirming puts
// the file's path into the main window's program field.
#pragma once

#include "controls.h"
#include "system.h"
#include "view.h"

#include <functional>
#include <memory>

namespace crier {

class FrmFile
{
public:
    // unload destroys this picker; it runs when the picker closes.
    FrmFile(forms::Toolkit &toolkit, forms::System &system, forms::TextBox &txtFile,
        std::function<void()> unload);

    forms::View &view() { return *m_view; }

    void drvFile_Change();
    void dirFile_Change();
    void filFile_DblClick();
    void cmdOK_Click();

private:
    forms::System &m_system;
    forms::TextBox &m_txtFile;
    std::unique_ptr<forms::View> m_view;

    forms::DriveList &drvFile;
    forms::FolderList &dirFile;
    forms::FileList &filFile;
    forms::Button &cmdOK;
};

} // namespace crier
