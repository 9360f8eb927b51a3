#include "windowtables.h"

namespace crier {

namespace {

using forms::ControlSpec;
using forms::Kind;

// In tab order.  Geometry in pixels at 96 dpi.
const ControlSpec mainControls[] = {
    {"lstNetwork", Kind::ListBox, u"", 8, 8, 241, 199, 0, nullptr,
        forms::ExtendedSelection | forms::InitialFocus},
    {"cmdRemove", Kind::Button, u"-", 224, 208, 25, 17, 1, u"Remove the selected host."},
    {"cmdAdd", Kind::Button, u"+", 200, 208, 25, 17, 2, u"Add host to the address book."},
    {"txtAddress", Kind::TextBox, u"", 8, 208, 193, 19, 3, nullptr, forms::NoFlags, 40},
    {"cmdSave", Kind::Button, u"&Save settings", 8, 240, 241, 25, 4},
    {"cmdSend", Kind::Button, u"&Send", 8, 272, 241, 25, 5},
    {"lstStatus", Kind::ListBox, u"", 256, 24, 241, 95, 6, nullptr, forms::MenuBackground},
    {"lblStatus", Kind::Label, u"Status:", 256, 8, 241, 17, 7},
    {"txtMessage", Kind::MultiLineTextBox, u"", 256, 144, 241, 153, 8},
    {"lblMessage", Kind::Label, u"Message:", 256, 128, 241, 17, 9},
    {"lstTemp", Kind::ListBox, u"", 408, 128, 89, 56, 10, nullptr, forms::Hidden},
    {"txtCount", Kind::TextBox, u"60", 64, 312, 33, 19, 11},
    {"chkCount", Kind::CheckBox, u"Count", 8, 312, 57, 17, 12},
    {"lblSeconds", Kind::Label, u"seconds, and run", 104, 314, 89, 17, 13},
    {"txtFile", Kind::TextBox, u"", 192, 312, 281, 19, 14},
    {"cmdBrowse", Kind::Button, u"...", 472, 312, 25, 17, 15, u"Browse..."},
    {"tmrCount", Kind::Timer, nullptr, 0, 0, 0, 0, -1, nullptr, forms::Disabled, 0, 1000},
};

const ControlSpec filePickerControls[] = {
    {"drvFile", Kind::DriveList, nullptr, 0, 0, 177, 21, 0, nullptr, forms::InitialFocus},
    {"dirFile", Kind::FolderList, nullptr, 0, 24, 177, 366, 1},
    {"filFile", Kind::FileList, nullptr, 176, 0, 177, 396, 2},
    {"cmdOK", Kind::Button, u"&OK", 0, 384, 353, 25, 3},
};

} // namespace

const forms::WindowSpec mainWindow {
    "frmMain", u"Broadcast A Message To The Network", 505, 337, "crier", mainControls};

const forms::WindowSpec filePickerWindow {
    "frmFile", u"Select a file...", 352, 409, "frmfile", filePickerControls};

} // namespace crier
