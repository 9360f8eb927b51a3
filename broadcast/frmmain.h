// The main window of Crier: an address book, a message, a broadcast run
// with a status line per host, and a countdown that then starts a program.
#pragma once

#include "controls.h"
#include "rangeexpansion.h"
#include "sendpool.h"
#include "system.h"
#include "view.h"

#include <memory>
#include <string>
#include <vector>

namespace crier {

class FrmFile;

class FrmMain
{
public:
    FrmMain(forms::Toolkit &toolkit, forms::System &system);
    ~FrmMain();

    void show();
    forms::View &view() { return *m_view; }

    // The handlers keep the names of the events they answer.
    void Form_Load();
    void cmdSave_Click();
    void cmdAdd_Click();
    void cmdRemove_Click();
    void lstNetwork_Click();
    int txtAddress_KeyPress(int KeyAscii);
    void cmdSend_Click();
    int txtCount_KeyPress(int KeyAscii);
    void tmrCount_Timer();
    void cmdBrowse_Click();

    std::u16string ReadFromINI(
        const std::u16string &Heading, const std::u16string &Key, const std::u16string &Default);
    // Adds a value to the save being made: cmdSave_Click writes them all at
    // once, with the message.
    void WriteToINI(
        const std::u16string &Heading, const std::u16string &Key, const std::u16string &Value);

    const std::u16string &appPath() const { return sAppPath; }
    FrmFile *filePicker() { return m_frmFile.get(); }

    // How many sends a run lets be under way at once when the settings name
    // no number: measured, see the README.
    static constexpr int defaultParallel = 40;
    static constexpr int maxParallel = 256;

private:
    std::optional<forms::SendRequest> nextSend();
    void sendEnded(const std::u16string &host, const SendResult &result);
    void runEnded();
    void stopSends();
    std::u16string settingsFile() const { return sAppPath + u"ZK.INI"; }
    std::u16string messageFile() const { return sAppPath + u"Message.txt"; }

    forms::Toolkit &m_toolkit;
    forms::System &m_system;
    std::unique_ptr<forms::View> m_view;
    std::unique_ptr<FrmFile> m_frmFile;

    std::u16string sAppPath;
    std::u16string sComputerName;
    std::vector<ProfileValue> m_settingsToSave;
    // Whether every control holds what was loaded into it (see Form_Load).
    bool m_loadedWhole = true;

    forms::ListBox &lstNetwork;
    forms::Button &cmdRemove;
    forms::Button &cmdAdd;
    forms::TextBox &txtAddress;
    forms::Button &cmdSave;
    forms::Button &cmdSend;
    forms::ListBox &lstStatus;
    forms::TextBox &txtMessage;
    forms::ListBox &lstTemp;
    forms::TextBox &txtCount;
    forms::CheckBox &chkCount;
    forms::TextBox &txtFile;
    forms::Button &cmdBrowse;
    forms::Timer &tmrCount;

    // The run under way, or the last one.  Last, so that it goes first.
    BookHosts m_hosts;
    std::unique_ptr<forms::SendPool> m_sends;
};

} // namespace crier
