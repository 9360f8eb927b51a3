// The contract suite's driver for the fakes: the user's actions are the
// fakes' own calls, and time passes by ticking the enabled timers.
#include "driver.h"
#include "faketoolkit.h"

namespace contract {

namespace {

class FakeDriver : public Driver
{
public:
    forms::Toolkit &toolkit() override { return m_toolkit; }

    void show(forms::View &view) override { view.show(); }
    void click(forms::View &view, const char *name) override
    {
        if (auto *check = dynamic_cast<fakes::CheckBox *>(view.find(name))) {
            check->focus();
            check->click();
        } else if (auto &button = part<fakes::Button>(view, name); button.enabled) {
            button.focus();
            button.click();
        }
    }
    void type(forms::View &view, const char *name, const Text &characters) override
    {
        auto &box = part<fakes::TextBox>(view, name);
        box.focus();
        box.type(characters);
    }
    void press(forms::View &view, const char *name, Key key) override;
    void pick(forms::View &view, const char *name, int row, bool ctrl) override
    {
        if (auto *files = dynamic_cast<fakes::FileList *>(view.find(name))) {
            files->selected = files->names().at(std::size_t(row));
            return;
        }
        auto &list = part<fakes::ListBox>(view, name);
        list.focus();
        if (ctrl)
            list.ctrlClick(row);
        else
            list.click(row);
    }
    void doubleClick(forms::View &view, const char *name, int row) override
    {
        if (auto *files = dynamic_cast<fakes::FileList *>(view.find(name)))
            files->doubleClick(files->names().at(std::size_t(row)));
        else
            part<fakes::FolderList>(view, name)
                .openFolder(part<fakes::FolderList>(view, name).rows().at(std::size_t(row)).second);
    }
    void accessKey(forms::View &view, char16_t letter) override { fake(view).accessKey(letter); }
    void closeButton(forms::View &view) override { view.close(); }

    bool waitUntil(const std::function<bool()> &condition) override
    {
        for (int round = 0; round < 100; ++round) {
            if (condition())
                return true;
            m_toolkit.processPendingEvents();
            elapse();
        }
        return condition();
    }

    void settle() override { m_toolkit.processPendingEvents(); }

    Text caption(forms::View &view) override { return fake(view).title; }
    Rect clientArea(forms::View &view) override
    {
        return {0, 0, fake(view).spec.clientWidth, fake(view).spec.clientHeight};
    }
    bool fixedFrame(forms::View &) override { return true; }
    bool hasIcon(forms::View &view) override { return fake(view).spec.icon != nullptr; }
    bool shown(forms::View &view) override { return fake(view).shown; }
    std::string focus(forms::View &view) override
    {
        return fake(view).focus ? fake(view).focus->name : "";
    }

    Rect placement(forms::View &view, const char *name) override
    {
        const forms::ControlSpec &row = rowOf(view, name);
        return {row.left, row.top, row.width, row.height};
    }
    Text text(forms::View &view, const char *name) override
    {
        forms::Control *control = view.find(name);
        if (auto *box = dynamic_cast<fakes::TextBox *>(control))
            return box->value;
        if (auto *button = dynamic_cast<fakes::Button *>(control))
            return button->label;
        if (auto *check = dynamic_cast<fakes::CheckBox *>(control))
            return check->label;
        return part<fakes::Label>(view, name).label;
    }
    Text tooltip(forms::View &view, const char *name) override
    {
        const forms::ControlSpec &row = rowOf(view, name);
        return row.tooltip ? row.tooltip : u"";
    }
    bool visible(forms::View &view, const char *name) override
    {
        return !(rowOf(view, name).flags & forms::Hidden);
    }
    bool enabled(forms::View &view, const char *name) override
    {
        if (auto *button = dynamic_cast<fakes::Button *>(view.find(name)))
            return button->enabled;
        return !(rowOf(view, name).flags & forms::Disabled);
    }
    std::vector<Text> rows(forms::View &view, const char *name) override
    {
        forms::Control *control = view.find(name);
        if (auto *files = dynamic_cast<fakes::FileList *>(control))
            return files->names();
        if (auto *folders = dynamic_cast<fakes::FolderList *>(control)) {
            std::vector<Text> shown;
            for (const auto &[label, path] : folders->rows())
                shown.push_back(label);
            return shown;
        }
        return part<fakes::ListBox>(view, name).items;
    }
    int maxLength(forms::View &view, const char *name) override
    {
        return part<fakes::TextBox>(view, name).maxLength;
    }
    bool extendedSelection(forms::View &view, const char *name) override
    {
        return rowOf(view, name).flags & forms::ExtendedSelection;
    }
    bool menuBackground(forms::View &view, const char *name) override
    {
        return rowOf(view, name).flags & forms::MenuBackground;
    }
    bool scrollBars(forms::View &view, const char *name) override
    {
        return rowOf(view, name).flags & forms::ScrollBars;
    }

    bool captionFits(forms::View &, const char *) override { return true; }

    std::vector<Box> boxes() override
    {
        std::vector<Box> shown;
        for (const fakes::ShownBox &box : m_toolkit.boxes)
            shown.push_back({box.text, box.title, box.icon, 1, box.owner});
        return shown;
    }

private:
    static fakes::View &fake(forms::View &view) { return dynamic_cast<fakes::View &>(view); }
    template<class T>
    static T &part(forms::View &view, const char *name)
    {
        return fake(view).control<T>(name);
    }
    static const forms::ControlSpec &rowOf(forms::View &view, const char *name)
    {
        return *forms::findControl(fake(view).spec, name);
    }

    // One period of every enabled timer passes; a tick may close windows.
    void elapse()
    {
        const std::vector<fakes::View *> views = m_toolkit.views;
        for (fakes::View *view : views) {
            if (std::find(m_toolkit.views.begin(), m_toolkit.views.end(), view)
                == m_toolkit.views.end())
                continue;
            for (const forms::ControlSpec &row : view->spec.controls) {
                if (row.kind != forms::Kind::Timer)
                    continue;
                const forms::Watch alive = view->watch();
                view->control<fakes::Timer>(row.name).elapse();
                if (alive.expired())
                    break;
            }
        }
    }

    fakes::Toolkit m_toolkit;
};

void FakeDriver::press(forms::View &view, const char *name, Key key)
{
    forms::Control *control = view.find(name);
    dynamic_cast<fakes::Part &>(*control).focus();
    auto *box = dynamic_cast<fakes::TextBox *>(control);
    auto *button = dynamic_cast<fakes::Button *>(control);
    switch (key) {
    case Key::Tab:
    case Key::Backtab:
        fake(view).tab(key == Key::Backtab);
        break;
    case Key::Enter:
    case Key::KeypadEnter:
        if (box)
            box->type(u"\r");
        else if (button)
            button->click();
        break;
    case Key::Space:
        if (box)
            box->type(u" ");
        else if (button)
            button->click();
        else if (auto *check = dynamic_cast<fakes::CheckBox *>(control))
            check->click();
        break;
    case Key::Backspace:
        if (box)
            box->type(u"\b");
        break;
    case Key::Down:
        if (auto *list = dynamic_cast<fakes::ListBox *>(control))
            list->down();
        break;
    }
}

} // namespace

std::unique_ptr<Driver> makeDriver()
{
    return std::make_unique<FakeDriver>();
}

} // namespace contract
