// Two small windows for the toolkits' tests: one control of every common
// kind, and the three lists of a file picker.  Every toolkit builds the same
// tables, so the contract suite holds each to the same promises.
#pragma once

#include "windowspec.h"

namespace samplewindows {

using namespace forms;

// Table order differs from tab order on purpose.
inline const ControlSpec sampleControls[] = {
    {"lblName", Kind::Label, u"Name:", 8, 8, 100, 17, 4},
    {"txtName", Kind::TextBox, u"start", 8, 30, 120, 19, 1, u"Type a name.", NoFlags, 5},
    {"txtNotes", Kind::MultiLineTextBox, u"", 8, 60, 120, 80, 2},
    {"lstItems", Kind::ListBox, u"", 140, 8, 100, 120, 0, nullptr,
        ExtendedSelection | InitialFocus},
    {"lstHidden", Kind::ListBox, u"", 140, 8, 10, 10, 5, nullptr, Hidden},
    {"lstMenu", Kind::ListBox, u"", 250, 8, 40, 40, 7, nullptr, MenuBackground},
    {"cmdGo", Kind::Button, u"&Go", 8, 150, 80, 25, 3, u"Go now."},
    {"chkFlag", Kind::CheckBox, u"Flag", 100, 150, 60, 17, 6},
    {"tmrBeat", Kind::Timer, nullptr, 0, 0, 0, 0, -1, nullptr, Disabled, 0, 1000},
    {"tmrClock", Kind::Timer, nullptr, 0, 0, 0, 0, -1, nullptr, Disabled, 0, 20},
};
inline const WindowSpec sample {"frmSample", u"Sample window", 300, 200, nullptr, sampleControls};

inline const ControlSpec pickerControls[] = {
    {"drvFile", Kind::DriveList, nullptr, 0, 0, 177, 21, 0},
    {"dirFile", Kind::FolderList, nullptr, 0, 24, 177, 366, 1},
    {"filFile", Kind::FileList, nullptr, 176, 0, 177, 396, 2},
};
inline const WindowSpec picker {"frmPicker", u"Pick", 352, 409, nullptr, pickerControls};

} // namespace samplewindows
