#include "builder.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace forms {

namespace {

std::unique_ptr<Control> make(const ControlSpec &row, ControlMaker &maker)
{
    switch (row.kind) {
    case Kind::Label:
        return maker.label(row);
    case Kind::TextBox:
        return maker.textBox(row);
    case Kind::MultiLineTextBox:
        return maker.multiLineTextBox(row);
    case Kind::ListBox:
        return maker.listBox(row);
    case Kind::Button:
        return maker.button(row);
    case Kind::CheckBox:
        return maker.checkBox(row);
    case Kind::Timer:
        return maker.timer(row);
    case Kind::DriveList:
        return maker.driveList(row);
    case Kind::FolderList:
        return maker.folderList(row);
    case Kind::FileList:
        return maker.fileList(row);
    }
    return nullptr;
}

} // namespace

void Controls::build(const WindowSpec &window, ControlMaker &maker)
{
    std::vector<const ControlSpec *> rows;
    for (const ControlSpec &row : window.controls)
        rows.push_back(&row);
    const auto order
        = [](const ControlSpec *row) { return row->tabIndex < 0 ? INT_MAX : row->tabIndex; };
    std::stable_sort(rows.begin(), rows.end(),
        [&](const ControlSpec *a, const ControlSpec *b) { return order(a) < order(b); });
    for (const ControlSpec *row : rows)
        m_controls[row->name] = make(*row, maker);
}

Control *Controls::find(const char *name) const
{
    const auto found = m_controls.find(name);
    return found == m_controls.end() ? nullptr : found->second.get();
}

} // namespace forms
