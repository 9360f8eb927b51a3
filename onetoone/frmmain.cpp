#include "frmmain.h"

#include "settingsfile.h"

namespace quillpost {

namespace {

const char16_t applicationTitle[] = u"Windows Quillon";

using forms::ControlSpec;
using forms::Kind;

// Laid out in twips, 15 to a pixel at 96 dpi; here in pixels.
const ControlSpec controls[] = {
    {"lblTo", Kind::Label, u"To:", 8, 8, 265, 17, 3},
    {"txtTo", Kind::TextBox, u"", 8, 24, 265, 19, 0, nullptr, forms::InitialFocus},
    {"lblMessage", Kind::Label, u"Message:", 8, 56, 265, 17, 4},
    {"txtMessage", Kind::MultiLineTextBox, u"", 8, 72, 265, 185, 1},
    {"cmdSend", Kind::Button, u"&Send", 8, 272, 265, 25, 2, nullptr, forms::Disabled},
};

} // namespace

const forms::WindowSpec mainWindow {"frmMain", applicationTitle, 282, 305, "quillpost", controls};

FrmMain::FrmMain(forms::Toolkit &toolkit, forms::System &system)
    : m_system(system), m_view(toolkit.build(mainWindow)),
      txtTo(m_view->get<forms::TextBox>("txtTo")),
      txtMessage(m_view->get<forms::TextBox>("txtMessage")),
      cmdSend(m_view->get<forms::Button>("cmdSend"))
{
    txtTo.onChange = [this] { txtTo_Change(); };
    txtTo.onKeyPress = [this](int key) { return txtTo_KeyPress(key); };
    txtMessage.onChange = [this] { txtMessage_Change(); };
    cmdSend.onClick = [this] { cmdSend_Click(); };

    Form_Load();
}

void FrmMain::show()
{
    m_view->show();
}

void FrmMain::Form_Load()
{
    const std::u16string path = settingsFilePath(m_system);
    if (!m_system.fileExists(path))
        return;
    const std::u16string recipient = readFirstField(m_system, path);
    if (!recipient.empty())
        txtTo.setText(recipient);
}

void FrmMain::cmdSend_Click()
{
    if (txtMessage.text().empty())
        return;
    if (txtTo.text().empty())
        return;

    m_view->setCaption(u"Sending...");
    // The send blocks the window; the new caption reaches the screen first.
    m_view->repaint();

    const std::u16string toUser = txtTo.text();
    const std::u16string message = txtMessage.text();
    if (m_system.sendMessage(toUser, message, {}).outcome != SendOutcome::Delivered) {
        m_view->setCaption(u"Error");
        m_view->messageBox(u"Failed to send the message!", u"Error", forms::BoxIcon::Critical);
        txtMessage.setFocus();
        return;
    }

    m_view->setCaption(applicationTitle);
    m_view->messageBox(u"Message sent!", u"Success", forms::BoxIcon::Information);
    txtMessage.setText(u"");
    txtMessage.setFocus();
}

void FrmMain::txtTo_Change()
{
    updateSendEnabled();
}

void FrmMain::txtMessage_Change()
{
    updateSendEnabled();
}

int FrmMain::txtTo_KeyPress(int KeyAscii)
{
    if (KeyAscii == 13)
        cmdSend_Click();
    return KeyAscii;
}

void FrmMain::updateSendEnabled()
{
    // Spaces count: nothing is trimmed.
    cmdSend.setEnabled(!txtMessage.text().empty() && !txtTo.text().empty());
}

} // namespace quillpost
