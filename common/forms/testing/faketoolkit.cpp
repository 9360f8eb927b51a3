#include "faketoolkit.h"

#include <algorithm>
#include <cstring>

namespace fakes {

void TextBox::setText(const Text &text)
{
    value = text;
    if (onChange)
        onChange();
}

void TextBox::type(const Text &characters)
{
    for (const char16_t c : characters) {
        int key = c;
        if (onKeyPress)
            key = onKeyPress(key);
        // Enter types nothing into a single-line box; 0 drops the key.
        if (key == 0 || key == 13)
            continue;
        if (key == 8) {
            if (!value.empty())
                setText(value.substr(0, value.size() - 1));
            continue;
        }
        if (maxLength > 0 && int(value.size()) >= maxLength)
            continue;
        setText(value + char16_t(key));
    }
}

void TextBox::paste(const Text &characters)
{
    setText(value + characters);
}

void ListBox::insertItem(int index, const Text &text)
{
    items.insert(items.begin() + index, text);
    std::set<int> moved;
    for (int s : selected)
        moved.insert(s >= index ? s + 1 : s);
    selected = moved;
    if (current >= index)
        ++current;
}

void ListBox::removeItem(int index)
{
    items.erase(items.begin() + index);
    std::set<int> moved;
    for (int s : selected) {
        if (s != index)
            moved.insert(s > index ? s - 1 : s);
    }
    selected = moved;
    if (current > index || current >= count())
        --current;
}

void ListBox::clear()
{
    items.clear();
    selected.clear();
    current = -1;
}

void ListBox::click(int index)
{
    current = index;
    selected = {index};
    if (onClick)
        onClick();
}

void ListBox::ctrlClick(int index)
{
    current = index;
    if (!selected.erase(index))
        selected.insert(index);
    if (onClick)
        onClick();
}

void Button::click()
{
    if (enabled && onClick)
        onClick();
}

void Timer::elapse()
{
    if (enabled && period > 0 && onTick)
        onTick();
}

void DriveList::pick(const Text &drive)
{
    shown = drive;
    if (onChange)
        onChange();
}

std::optional<Text> FolderList::setPath(const Text &path)
{
    if (const auto failure = failing.find(path); failure != failing.end())
        return failure->second;
    open = path;
    return std::nullopt;
}

void FolderList::openFolder(const Text &path)
{
    if (!setPath(path) && onChange)
        onChange();
}

void FileList::doubleClick(const Text &name)
{
    selected = name;
    if (onDoubleClick)
        onDoubleClick();
}

View::View(Toolkit &toolkit, const forms::WindowSpec &spec)
    : spec(spec), title(spec.caption), m_toolkit(toolkit)
{
    for (const forms::ControlSpec &row : spec.controls) {
        std::unique_ptr<forms::Control> control;
        const Text caption = row.caption ? row.caption : u"";
        switch (row.kind) {
        case forms::Kind::Label: {
            auto label = std::make_unique<Label>();
            label->label = caption;
            control = std::move(label);
            break;
        }
        case forms::Kind::TextBox:
        case forms::Kind::MultiLineTextBox: {
            auto box = std::make_unique<TextBox>();
            box->value = caption;
            box->maxLength = row.maxLength;
            control = std::move(box);
            break;
        }
        case forms::Kind::ListBox:
            control = std::make_unique<ListBox>();
            break;
        case forms::Kind::Button: {
            auto button = std::make_unique<Button>();
            button->label = caption;
            button->enabled = !(row.flags & forms::Disabled);
            control = std::move(button);
            break;
        }
        case forms::Kind::CheckBox:
            control = std::make_unique<CheckBox>();
            break;
        case forms::Kind::Timer: {
            auto timer = std::make_unique<Timer>();
            timer->period = row.interval;
            timer->enabled = !(row.flags & forms::Disabled);
            control = std::move(timer);
            break;
        }
        case forms::Kind::DriveList:
            control = std::make_unique<DriveList>();
            break;
        case forms::Kind::FolderList:
            control = std::make_unique<FolderList>();
            break;
        case forms::Kind::FileList:
            control = std::make_unique<FileList>();
            break;
        }
        m_controls[row.name] = std::move(control);
    }
}

forms::Control *View::find(const char *name)
{
    const auto found = m_controls.find(name);
    return found == m_controls.end() ? nullptr : found->second.get();
}

void View::close()
{
    shown = false;
    // The handler may destroy this view.
    if (const auto closing = onClose)
        closing();
}

void View::messageBox(const Text &text, const Text &boxTitle, forms::BoxIcon icon)
{
    m_toolkit.boxes.push_back({text, boxTitle, icon});
    if (m_toolkit.onBox)
        m_toolkit.onBox(m_toolkit.boxes.back());
}

std::unique_ptr<forms::View> Toolkit::build(const forms::WindowSpec &window)
{
    // Each view removes itself from the list when it goes.
    struct TrackedView : View
    {
        using View::View;
        ~TrackedView() override { toolkit->forget(this); }
        Toolkit *toolkit = nullptr;
    };
    auto view = std::make_unique<TrackedView>(*this, window);
    view->toolkit = this;
    views.push_back(view.get());
    return view;
}

void Toolkit::processPendingEvents()
{
    ++pendingEventPasses;
    if (pendingEvents)
        pendingEvents();
    runPosted();
}

void Toolkit::post(std::function<void()> task)
{
    {
        const std::lock_guard lock(m_postedMutex);
        m_posted.push_back(std::move(task));
    }
    m_postedChanged.notify_all();
}

int Toolkit::runPosted()
{
    int ran = 0;
    for (;;) {
        std::function<void()> task;
        {
            const std::lock_guard lock(m_postedMutex);
            if (m_posted.empty())
                return ran;
            task = std::move(m_posted.front());
            m_posted.pop_front();
        }
        task();
        ++ran;
    }
}

bool Toolkit::waitForPosted(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_postedMutex);
    return m_postedChanged.wait_for(lock, timeout, [this] { return !m_posted.empty(); });
}

std::size_t Toolkit::postedCount() const
{
    const std::lock_guard lock(m_postedMutex);
    return m_posted.size();
}

void Toolkit::endProcess()
{
    throw ProcessEnded {};
}

View *Toolkit::findView(const char *name)
{
    for (View *view : views) {
        if (std::strcmp(view->spec.name, name) == 0)
            return view;
    }
    return nullptr;
}

void Toolkit::forget(View *view)
{
    views.erase(std::remove(views.begin(), views.end(), view), views.end());
}

} // namespace fakes
