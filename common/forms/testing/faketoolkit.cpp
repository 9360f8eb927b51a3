#include "faketoolkit.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace fakes {

namespace {

constexpr int enterKey = 13;
constexpr int backspaceKey = 8;

Text captionOf(const forms::ControlSpec &row)
{
    return row.caption ? row.caption : u"";
}

Text textOf(const std::filesystem::path &path)
{
    const std::string bytes = path.string();
    return Text(bytes.begin(), bytes.end());
}

// The subfolders or the ordinary files of a folder, hidden ones left out,
// sorted ignoring case.
std::vector<Text> listing(const Text &folder, bool folders)
{
    std::vector<Text> names;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(folder, error)) {
        const Text name = textOf(entry.path().filename());
        if (name.empty() || name.front() == u'.')
            continue;
        if (folders ? entry.is_directory(error) : entry.is_regular_file(error))
            names.push_back(name);
    }
    const auto lower = [](Text text) {
        for (char16_t &c : text)
            c = c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
        return text;
    };
    std::sort(names.begin(), names.end(),
        [&](const Text &a, const Text &b) { return lower(a) < lower(b); });
    return names;
}

} // namespace

Part::Part(View &view, const forms::ControlSpec &row)
    : m_alive(view.watch()), m_view(&view), m_row(&row)
{
}

void Part::focus()
{
    m_view->focus = m_row;
}

bool Part::hasFocus() const
{
    return m_view->focus == m_row;
}

TextBox::TextBox(View &view, const forms::ControlSpec &row)
    : Part(view, row), value(captionOf(row)), maxLength(row.maxLength),
      multiLine(row.kind == forms::Kind::MultiLineTextBox)
{
}

void TextBox::setText(const Text &text)
{
    value = text;
    forms::raise(m_alive, this, &TextBox::onChange);
}

void TextBox::type(const Text &characters)
{
    // The filter may close the window: nothing is typed after that.
    const forms::Watch alive = m_alive;
    for (const char16_t c : characters) {
        const auto key = forms::raiseKey(alive, this, c);
        if (!key)
            return;
        if (*key == 0)
            continue;
        if (*key == backspaceKey) {
            if (!value.empty())
                setText(value.substr(0, value.size() - 1));
            continue;
        }
        if (*key == enterKey) {
            if (multiLine)
                setText(value + forms::lineBreak);
            continue;
        }
        // The limit is the user's: the program's own text is not cut.
        if (maxLength > 0 && int(value.size()) >= maxLength)
            continue;
        setText(value + char16_t(*key));
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
    forms::raise(m_alive, this, &ListBox::onClick);
}

void ListBox::ctrlClick(int index)
{
    current = index;
    if (!selected.erase(index))
        selected.insert(index);
    forms::raise(m_alive, this, &ListBox::onClick);
}

void ListBox::down()
{
    if (count() > 0)
        click(std::min(current + 1, count() - 1));
}

Button::Button(View &view, const forms::ControlSpec &row)
    : Part(view, row), label(captionOf(row)), enabled(!(row.flags & forms::Disabled))
{
}

void Button::setEnabled(bool value)
{
    enabled = value;
    if (!enabled && hasFocus())
        view().tab();
}

void Button::click()
{
    if (enabled)
        forms::raise(m_alive, this, &Button::onClick);
}

CheckBox::CheckBox(View &view, const forms::ControlSpec &row)
    : Part(view, row), label(captionOf(row))
{
}

Label::Label(View &view, const forms::ControlSpec &row) : Part(view, row), label(captionOf(row)) { }

Timer::Timer(View &view, const forms::ControlSpec &row)
    : Part(view, row), period(row.interval), enabled(!(row.flags & forms::Disabled))
{
}

void Timer::elapse()
{
    if (enabled && period > 0)
        forms::raise(m_alive, this, &Timer::onTick);
}

DriveList::DriveList(View &view, const forms::ControlSpec &row)
    : Part(view, row), shown(textOf(std::filesystem::current_path().root_path()))
{
}

void DriveList::pick(const Text &drive)
{
    shown = drive;
    forms::raise(m_alive, this, &DriveList::onChange);
}

FolderList::FolderList(View &view, const forms::ControlSpec &row)
    : Part(view, row), open(textOf(std::filesystem::current_path()))
{
}

std::optional<Text> FolderList::setPath(const Text &path)
{
    if (const auto failure = failing.find(path); failure != failing.end())
        return failure->second;
    // Relative to the open folder, as a folder list opens it.
    const std::filesystem::path folder
        = (std::filesystem::path(open) / std::filesystem::path(path)).lexically_normal();
    std::error_code error;
    std::filesystem::directory_iterator(folder, error);
    if (error)
        return textOf(error.message());
    Text opened = textOf(folder);
    if (opened.size() > 1 && opened.back() == u'/')
        opened.pop_back();
    open = opened;
    return std::nullopt;
}

std::vector<std::pair<Text, Text>> FolderList::rows() const
{
    std::vector<std::pair<Text, Text>> shown;
    std::filesystem::path path;
    Text indent;
    for (const auto &part : std::filesystem::path(open)) {
        if (part.empty())
            continue;
        path /= part;
        shown.emplace_back(indent + textOf(part), textOf(path));
        indent += u"  ";
    }
    for (const Text &name : listing(open, true))
        shown.emplace_back(
            indent + name, textOf(std::filesystem::path(open) / std::filesystem::path(name)));
    return shown;
}

void FolderList::openFolder(const Text &path)
{
    if (!setPath(path))
        forms::raise(m_alive, this, &FolderList::onChange);
}

FileList::FileList(View &view, const forms::ControlSpec &row)
    : Part(view, row), folder(textOf(std::filesystem::current_path()))
{
}

std::vector<Text> FileList::names() const
{
    return listing(folder, false);
}

void FileList::doubleClick(const Text &name)
{
    selected = name;
    forms::raise(m_alive, this, &FileList::onDoubleClick);
}

View::View(Toolkit &toolkit, const forms::WindowSpec &spec)
    : spec(spec), title(spec.caption), m_toolkit(toolkit)
{
    m_controls.build(spec, *this);
    for (const forms::ControlSpec &row : spec.controls) {
        if (row.flags & forms::InitialFocus)
            focus = &row;
    }
}

View::~View()
{
    endEvents();
}

std::unique_ptr<forms::Control> View::label(const forms::ControlSpec &row)
{
    return std::make_unique<Label>(*this, row);
}

std::unique_ptr<forms::Control> View::textBox(const forms::ControlSpec &row)
{
    return std::make_unique<TextBox>(*this, row);
}

std::unique_ptr<forms::Control> View::multiLineTextBox(const forms::ControlSpec &row)
{
    return std::make_unique<TextBox>(*this, row);
}

std::unique_ptr<forms::Control> View::listBox(const forms::ControlSpec &row)
{
    return std::make_unique<ListBox>(*this, row);
}

std::unique_ptr<forms::Control> View::button(const forms::ControlSpec &row)
{
    return std::make_unique<Button>(*this, row);
}

std::unique_ptr<forms::Control> View::checkBox(const forms::ControlSpec &row)
{
    return std::make_unique<CheckBox>(*this, row);
}

std::unique_ptr<forms::Control> View::timer(const forms::ControlSpec &row)
{
    return std::make_unique<Timer>(*this, row);
}

std::unique_ptr<forms::Control> View::driveList(const forms::ControlSpec &row)
{
    return std::make_unique<DriveList>(*this, row);
}

std::unique_ptr<forms::Control> View::folderList(const forms::ControlSpec &row)
{
    return std::make_unique<FolderList>(*this, row);
}

std::unique_ptr<forms::Control> View::fileList(const forms::ControlSpec &row)
{
    return std::make_unique<FileList>(*this, row);
}

bool View::takesFocus(const forms::ControlSpec &row)
{
    if (row.tabIndex < 0 || row.kind == forms::Kind::Label || row.kind == forms::Kind::Timer
        || (row.flags & (forms::Hidden | forms::Disabled)))
        return false;
    const auto *button = dynamic_cast<Button *>(find(row.name));
    return !button || button->enabled;
}

void View::tab(bool backwards)
{
    std::vector<const forms::ControlSpec *> order;
    for (const forms::ControlSpec &row : spec.controls) {
        if (row.tabIndex >= 0 || &row == focus)
            order.push_back(&row);
    }
    if (order.empty())
        return;
    std::stable_sort(order.begin(), order.end(),
        [](const auto *a, const auto *b) { return a->tabIndex < b->tabIndex; });
    const std::size_t count = order.size();
    const auto at = std::find(order.begin(), order.end(), focus);
    const std::size_t from = at == order.end() ? count - 1 : std::size_t(at - order.begin());
    for (std::size_t step = 1; step <= count; ++step) {
        const std::size_t next
            = backwards ? (from + count * 2 - step) % count : (from + step) % count;
        if (takesFocus(*order[next])) {
            focus = order[next];
            return;
        }
    }
}

void View::accessKey(char16_t letter)
{
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    for (const forms::ControlSpec &row : spec.controls) {
        const Text caption = captionOf(row);
        const auto mark = caption.find(u'&');
        if (mark == Text::npos || mark + 1 >= caption.size()
            || lower(caption[mark + 1]) != lower(letter))
            continue;
        if (auto *button = dynamic_cast<Button *>(find(row.name))) {
            focus = &row;
            button->click();
        }
        return;
    }
}

void View::close()
{
    shown = false;
    forms::raise(watch(), this, &View::onClose);
}

void View::messageBox(const Text &text, const Text &boxTitle, forms::BoxIcon icon)
{
    m_toolkit.boxes.push_back({text, boxTitle, icon, title});
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
