// The one window of Quillpost: a recipient, a message and a Send button.
#pragma once

#include "controls.h"
#include "system.h"
#include "view.h"
#include "windowspec.h"

#include <memory>

namespace quillpost {

extern const forms::WindowSpec mainWindow;

class FrmMain
{
public:
    FrmMain(forms::Toolkit &toolkit, forms::System &system);

    void show();
    forms::View &view() { return *m_view; }

    // The handlers keep the names of the events they answer.
    void Form_Load();
    void cmdSend_Click();
    void txtTo_Change();
    void txtMessage_Change();
    int txtTo_KeyPress(int KeyAscii);

private:
    void updateSendEnabled();

    forms::System &m_system;
    std::unique_ptr<forms::View> m_view;

    forms::TextBox &txtTo;
    forms::TextBox &txtMessage;
    forms::Button &cmdSend;
};

} // namespace quillpost
