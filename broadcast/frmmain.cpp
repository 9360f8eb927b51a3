#include "frmmain.h"

#include "countdown.h"
#include "frmfile.h"
#include "rangeexpansion.h"
#include "windowtables.h"

#include <algorithm>
#include <string>

namespace crier {

namespace {

// The address book has one settings slot per entry.
constexpr int bookSlots = 100;
constexpr int enterKey = 13;
// The countdown counts seconds.
constexpr int tickMilliseconds = 1000;

std::u16string decimal(int number)
{
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

// Why the settings file would not give an address back as typed (its
// reader takes outer blanks and a pair of enclosing quotes off a value, and
// "N" marks a free slot); empty when it would.
std::u16string unstorableBecause(const std::u16string &address)
{
    if (address == u"N")
        return u"\"N\" cannot be an entry: the settings file marks a free slot with it.";
    if (isBlank(address.front()) || isBlank(address.back()))
        return u"An entry cannot begin or end with a blank: the settings file would drop it.";
    if (address.size() >= 2 && (address.front() == u'"' || address.front() == u'\'')
        && address.back() == address.front())
        return u"An entry cannot be enclosed in quotes: the settings file would drop them.";
    return {};
}

} // namespace

FrmMain::FrmMain(forms::Toolkit &toolkit, forms::System &system)
    : m_toolkit(toolkit), m_system(system), m_view(toolkit.build(mainWindow)),
      lstNetwork(m_view->get<forms::ListBox>("lstNetwork")),
      cmdRemove(m_view->get<forms::Button>("cmdRemove")),
      cmdAdd(m_view->get<forms::Button>("cmdAdd")),
      txtAddress(m_view->get<forms::TextBox>("txtAddress")),
      cmdSave(m_view->get<forms::Button>("cmdSave")),
      cmdSend(m_view->get<forms::Button>("cmdSend")),
      lstStatus(m_view->get<forms::ListBox>("lstStatus")),
      txtMessage(m_view->get<forms::TextBox>("txtMessage")),
      lstTemp(m_view->get<forms::ListBox>("lstTemp")),
      txtCount(m_view->get<forms::TextBox>("txtCount")),
      chkCount(m_view->get<forms::CheckBox>("chkCount")),
      txtFile(m_view->get<forms::TextBox>("txtFile")),
      cmdBrowse(m_view->get<forms::Button>("cmdBrowse")),
      tmrCount(m_view->get<forms::Timer>("tmrCount"))
{
    lstNetwork.onClick = [this] { lstNetwork_Click(); };
    cmdRemove.onClick = [this] { cmdRemove_Click(); };
    cmdAdd.onClick = [this] { cmdAdd_Click(); };
    txtAddress.onKeyPress = [this](int key) { return txtAddress_KeyPress(key); };
    cmdSave.onClick = [this] { cmdSave_Click(); };
    cmdSend.onClick = [this] { cmdSend_Click(); };
    txtCount.onKeyPress = [this](int key) { return txtCount_KeyPress(key); };
    tmrCount.onTick = [this] { tmrCount_Timer(); };
    cmdBrowse.onClick = [this] { cmdBrowse_Click(); };
    // Closing the main window ends the program; an open picker and the
    // sends under way go with it.
    m_view->onClose = [this] {
        stopSends();
        m_frmFile.reset();
    };

    Form_Load();
}

FrmMain::~FrmMain() = default;

void FrmMain::show()
{
    m_view->show();
}

// ---- settings --------------------------------------------------------------

std::u16string FrmMain::ReadFromINI(
    const std::u16string &Heading, const std::u16string &Key, const std::u16string &Default)
{
    // The whole value: a cut here would shorten a long program path, and the
    // next save would store the cut one.
    return m_system.readProfileString(Heading, Key, Default, settingsFile());
}

void FrmMain::WriteToINI(
    const std::u16string &Heading, const std::u16string &Key, const std::u16string &Value)
{
    m_settingsToSave.push_back({Heading, Key, Value});
}

void FrmMain::Form_Load()
{
    sAppPath = m_system.addSlash(m_system.programFolder());
    sComputerName = m_system.computerName();

    // A control may not hold all it is given (a Windows control ends its
    // text at a NUL): the next save would store it cut.  Then no save writes
    // over the files while this window lives.
    if (m_system.fileExists(settingsFile())) {
        for (int slot = 0; slot < bookSlots; ++slot) {
            const std::u16string entry = ReadFromINI(u"List", decimal(slot), u"N");
            if (entry == u"N")
                break;
            lstNetwork.addItem(entry);
            m_loadedWhole = m_loadedWhole && lstNetwork.item(lstNetwork.count() - 1) == entry;
        }
        const auto count = readCount(ReadFromINI(u"Options", u"Count", u"0"));
        if (count == 1.0)
            chkCount.setState(forms::CheckBox::Checked);
        else if (count == 2.0)
            chkCount.setState(forms::CheckBox::Grayed);
        const std::u16string file = ReadFromINI(u"Options", u"File", u"");
        txtFile.setText(file);
        m_loadedWhole = m_loadedWhole && txtFile.text() == file;
    }

    if (m_system.fileExists(messageFile())) {
        if (const auto message = m_system.readTextFile(messageFile())) {
            txtMessage.setText(*message);
            // Each toolkit's text box gives line breaks back in its own way.
            m_loadedWhole = m_loadedWhole && SameText(txtMessage.text(), *message);
        }
    }

    lstStatus.clear();
    lstStatus.addItem(u"Ready");
}

void FrmMain::cmdSave_Click()
{
    // The whole save is made in memory and written at once: both files as
    // the window shows them, or both as they were.
    m_settingsToSave.clear();
    for (int slot = 0; slot < bookSlots; ++slot) {
        if (ReadFromINI(u"List", decimal(slot), u"N") != u"N")
            WriteToINI(u"List", decimal(slot), u"N");
    }
    int written = 0;
    bool storable = m_loadedWhole;
    for (int i = 0; i < lstNetwork.count(); ++i) {
        const std::u16string entry = lstNetwork.item(i);
        storable = storable && entry != u"N";
        if (!entry.empty())
            WriteToINI(u"List", decimal(written++), entry);
    }
    WriteToINI(u"Options", u"Count", decimal(chkCount.state()));
    WriteToINI(u"Options", u"File", txtFile.text());

    const bool saved = storable && m_system.ensureFolder(sAppPath)
        && m_system.saveProfileAndText(
            settingsFile(), m_settingsToSave, messageFile(), txtMessage.text());
    m_settingsToSave.clear();
    if (!saved) {
        m_view->messageBox(
            u"The settings could not be saved.", u"Error", forms::BoxIcon::Exclamation);
    }
}

// ---- address book ----------------------------------------------------------

void FrmMain::cmdAdd_Click()
{
    const std::u16string address = txtAddress.text();
    if (address.empty())
        return;
    if (lstNetwork.count() >= bookSlots)
        return;
    if (const std::u16string why = unstorableBecause(address); !why.empty()) {
        // The field keeps the text, to be mended.
        m_view->messageBox(why, u"Error", forms::BoxIcon::Exclamation);
        return;
    }
    const int current = lstNetwork.currentIndex();
    lstNetwork.insertItem(current >= 0 ? current : 0, address);
    txtAddress.setText(u"");
}

void FrmMain::cmdRemove_Click()
{
    for (int i = 0; i < lstNetwork.count(); ++i) {
        if (lstNetwork.isSelected(i)) {
            lstNetwork.removeItem(i);
            return;
        }
    }
}

void FrmMain::lstNetwork_Click()
{
    const int current = lstNetwork.currentIndex();
    if (current >= 0)
        txtAddress.setText(lstNetwork.item(current));
}

int FrmMain::txtAddress_KeyPress(int KeyAscii)
{
    if (KeyAscii == enterKey)
        cmdAdd_Click();
    return KeyAscii;
}

// ---- broadcast run -----------------------------------------------------------

namespace {

// The number of sends under way at once, from its settings text: a whole
// number, at least 1 and at most the ceiling; anything else is the default.
int parallelSends(const std::u16string &text)
{
    if (text.empty())
        return FrmMain::defaultParallel;
    int number = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9')
            return FrmMain::defaultParallel;
        number = std::min(number * 10 + (c - u'0'), FrmMain::maxParallel + 1);
    }
    if (number < 1)
        return FrmMain::defaultParallel;
    return std::min(number, FrmMain::maxParallel);
}

// Why no host could take the message, in the words kvoll uses.
std::optional<std::u16string> unsendable(const std::optional<SendOutcome> &refused)
{
    if (refused == SendOutcome::Unrepresentable)
        return u"Codeset conversion failure.";
    if (refused == SendOutcome::TooLong)
        return u"The message is too long to be delivered in one piece. Shorten it and send again.";
    return std::nullopt;
}

} // namespace

void FrmMain::cmdSend_Click()
{
    if (txtMessage.text().empty())
        return;
    if (lstNetwork.count() == 0)
        return;
    // Sent anyway, every host would fail without a word about why.
    if (const auto why = unsendable(m_system.checkMessage(txtMessage.text()))) {
        m_view->messageBox(*why, u"Error", forms::BoxIcon::Critical);
        return;
    }

    cmdSend.setEnabled(false);
    cmdSend.setCaption(u"Sending...");
    lstStatus.clear();
    lstTemp.clear();

    // The errors of the whole book come first; the hosts are written out as
    // they are sent to, so that a book of large ranges costs no memory.
    std::vector<EntryPlan> plans;
    for (int i = 0; i < lstNetwork.count(); ++i) {
        const std::u16string entry = lstNetwork.item(i);
        plans.push_back(planEntry(entry));
        for (int failure = 0; failure < plans.back().failures; ++failure)
            lstStatus.addItem(u"ERROR - " + entry);
    }
    m_hosts = BookHosts(std::move(plans));

    const int parallel = parallelSends(ReadFromINI(u"Options", u"Parallel", u""));
    m_sends.reset();
    m_sends = std::make_unique<forms::SendPool>(m_toolkit, m_system, parallel,
        forms::SendPool::Handlers {[this] { return nextSend(); },
            [this](
                const std::u16string &host, const SendResult &result) { sendEnded(host, result); },
            [this] { runEnded(); }});
    m_sends->start();
}

std::optional<forms::SendRequest> FrmMain::nextSend()
{
    std::optional<std::u16string> host = m_hosts.next();
    if (!host)
        return std::nullopt;
    // lstTemp holds the hosts under way, in book order.
    lstTemp.addItem(*host);
    // The message as it stands now: an edit during the run reaches the
    // hosts whose sends start after it.
    return forms::SendRequest {std::move(*host), txtMessage.text()};
}

void FrmMain::sendEnded(const std::u16string &host, const SendResult &result)
{
    lstTemp.removeItem(0);
    const bool sent = result.outcome == SendOutcome::Delivered;
    lstStatus.addItem(host + (sent ? u" - OK" : u" - Failed"));
}

void FrmMain::runEnded()
{
    cmdSend.setEnabled(true);
    cmdSend.setCaption(u"&Send");
    const forms::CheckBox::State countdown = chkCount.state();
    if (countdown == forms::CheckBox::Unchecked) {
        m_view->messageBox(u"The message was broadcasted!", u"Done", forms::BoxIcon::Information);
    }
    lstStatus.addItem(u"");
    lstStatus.addItem(u"Done.");

    if (countdown == forms::CheckBox::Checked) {
        // An unreadable count is reported; the first tick then starts the
        // program all the same.
        if (!readCount(txtCount.text()))
            lstStatus.addItem(u"ERROR - ");
        tmrCount.setInterval(tickMilliseconds);
        tmrCount.setEnabled(true);
    }
}

void FrmMain::stopSends()
{
    // No further send starts, and none under way outlives the program.
    if (m_sends)
        m_sends->stop();
}

// ---- countdown -------------------------------------------------------------

int FrmMain::txtCount_KeyPress(int KeyAscii)
{
    return OnlyNumeric(KeyAscii);
}

void FrmMain::tmrCount_Timer()
{
    const auto count = readCount(txtCount.text());
    if (!count || *count < 1) {
        stopSends();
        // A program that does not start is passed over: the tool ends anyway.
        m_system.startProgram(txtFile.text());
        m_toolkit.endProcess();
    }
    txtCount.setText(countText(*count - 1, decimalsOf(txtCount.text())));
}

// ---- file picker -----------------------------------------------------------

void FrmMain::cmdBrowse_Click()
{
    if (m_frmFile) {
        m_frmFile->view().bringToFront();
        return;
    }
    m_frmFile
        = std::make_unique<FrmFile>(m_toolkit, m_system, txtFile, [this] { m_frmFile.reset(); });
    m_frmFile->view().show();
}

} // namespace crier
