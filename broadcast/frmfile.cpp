#include "frmfile.h"

#include "windowtables.h"

namespace crier {

FrmFile::FrmFile(forms::Toolkit &toolkit, forms::System &system, forms::TextBox &txtFile,
    std::function<void()> unload)
    : m_system(system), m_txtFile(txtFile), m_view(toolkit.build(filePickerWindow)),
      drvFile(m_view->get<forms::DriveList>("drvFile")),
      dirFile(m_view->get<forms::FolderList>("dirFile")),
      filFile(m_view->get<forms::FileList>("filFile")), cmdOK(m_view->get<forms::Button>("cmdOK"))
{
    // The lists open at the process's current folder by themselves.
    drvFile.onChange = [this] { drvFile_Change(); };
    dirFile.onChange = [this] { dirFile_Change(); };
    filFile.onDoubleClick = [this] { filFile_DblClick(); };
    cmdOK.onClick = [this] { cmdOK_Click(); };
    // Closing unloads: the toolkit lets the handler destroy its own view.
    m_view->onClose = std::move(unload);
}

void FrmFile::drvFile_Change()
{
    if (const auto error = dirFile.setPath(drvFile.drive())) {
        // The folder and file lists stay where they were.
        m_view->messageBox(*error + u"!", u"Error", forms::BoxIcon::Exclamation);
        return;
    }
    dirFile_Change();
}

void FrmFile::dirFile_Change()
{
    filFile.setPath(dirFile.path());
}

void FrmFile::filFile_DblClick()
{
    cmdOK_Click();
}

void FrmFile::cmdOK_Click()
{
    m_txtFile.setText(m_system.addSlash(dirFile.path()) + filFile.selectedName());
    m_view->close();
}

} // namespace crier
