// The one way a toolkit turns a window table into controls: the table is
// walked here, in tab order, and each row goes to the toolkit's maker for
// its kind.
#pragma once

#include "controls.h"
#include "windowspec.h"

#include <map>
#include <memory>
#include <string>

namespace forms {

// A toolkit's makers, one per control kind.  Each makes the control of one
// row: its widget placed, captioned and flagged as the row says.
class ControlMaker
{
public:
    virtual ~ControlMaker() = default;

    virtual std::unique_ptr<Control> label(const ControlSpec &row) = 0;
    virtual std::unique_ptr<Control> textBox(const ControlSpec &row) = 0;
    virtual std::unique_ptr<Control> multiLineTextBox(const ControlSpec &row) = 0;
    virtual std::unique_ptr<Control> listBox(const ControlSpec &row) = 0;
    virtual std::unique_ptr<Control> button(const ControlSpec &row) = 0;
    virtual std::unique_ptr<Control> checkBox(const ControlSpec &row) = 0;
    virtual std::unique_ptr<Control> timer(const ControlSpec &row) = 0;
    virtual std::unique_ptr<Control> driveList(const ControlSpec &row) = 0;
    virtual std::unique_ptr<Control> folderList(const ControlSpec &row) = 0;
    virtual std::unique_ptr<Control> fileList(const ControlSpec &row) = 0;
};

// The controls of a built window, by name.
class Controls
{
public:
    // Makes every control of the table, in tab order (rows without a tab
    // stop last, each keeping its place among the others): some toolkits
    // walk the controls in the order they were made.
    void build(const WindowSpec &window, ControlMaker &maker);

    // The control of that name, or nullptr.
    Control *find(const char *name) const;

private:
    std::map<std::string, std::unique_ptr<Control>> m_controls;
};

} // namespace forms
