// The Win32 adapters: one per control kind, each over one standard control.
// They turn the control's notifications into the control's events, and keep
// the program's own changes from looking like the user's.
#pragma once

#include "controls.h"
#include "view.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace forms::win32 {

std::wstring toWide(const Text &text);
Text fromWide(const std::wstring &text);
// The text of a window, whole.
Text windowText(HWND window);

// A control with a window of its own, as its parent window hears from it.
// It raises its events while its view, watched by alive, lives.
class Child
{
public:
    explicit Child(HWND handle, Watch alive = {}) : m_handle(handle), m_alive(std::move(alive)) { }
    virtual ~Child() = default;

    HWND handle() const { return m_handle; }
    const Watch &alive() const { return m_alive; }
    // A WM_COMMAND notification of this control.
    virtual void notify(int /*code*/) { }

protected:
    HWND m_handle;
    Watch m_alive;
};

class Edit : public TextBox, public Child
{
public:
    Edit(HWND handle, bool multiLine, Watch alive);
    Text text() const override;
    void setText(const Text &text) override;
    void setFocus() override;
    void notify(int code) override;

    bool multiLine() const { return m_multiLine; }

private:
    bool m_multiLine;
    bool m_settingText = false;
};

class List : public ListBox, public Child
{
public:
    using Child::Child;
    int count() const override;
    Text item(int index) const override;
    void addItem(const Text &text) override;
    void insertItem(int index, const Text &text) override;
    void removeItem(int index) override;
    void clear() override;
    int currentIndex() const override;
    bool isSelected(int index) const override;
    void notify(int code) override;

private:
    // The caret of a list box stands on its first entry from the start; it
    // counts as the current entry only once the user has picked one.
    bool m_picked = false;
};

class PushButton : public Button, public Child
{
public:
    using Child::Child;
    Text caption() const override { return windowText(m_handle); }
    void setCaption(const Text &caption) override;
    bool isEnabled() const override;
    void setEnabled(bool enabled) override;
    void notify(int code) override;
};

// A three-state box (BS_3STATE) whose clicks the adapter answers: a click
// toggles between checked and unchecked, so only the program sets grey.
class Check : public CheckBox, public Child
{
public:
    using Child::Child;
    State state() const override;
    void setState(State state) override;
    void notify(int code) override;
};

class StaticText : public Label, public Child
{
public:
    using Child::Child;
    Text caption() const override { return windowText(m_handle); }
    void setCaption(const Text &caption) override;
};

// A SetTimer timer of the window: it ticks while enabled with a period
// above 0.
class IntervalTimer : public Timer
{
public:
    IntervalTimer(HWND owner, UINT_PTR id, int interval, bool enabled, Watch alive);
    int interval() const override { return m_interval; }
    void setInterval(int milliseconds) override;
    bool isEnabled() const override { return m_enabled; }
    void setEnabled(bool enabled) override;

    void tick();

private:
    void apply();

    HWND m_owner;
    UINT_PTR m_id;
    int m_interval;
    bool m_enabled;
    Watch m_alive;
};

// The drives as Windows' drive lists show them: "c: [LABEL]".
class DriveCombo : public DriveList, public Child
{
public:
    DriveCombo(HWND handle, Watch alive);
    Text drive() const override;
    void notify(int code) override;

private:
    std::vector<std::wstring> m_drives; // "c:", one per entry
};

// The folders from the root down to the open one, then its subfolders; a
// double click opens a folder.
class FolderTree : public FolderList, public Child
{
public:
    FolderTree(HWND handle, Watch alive);
    Text path() const override { return fromWide(m_path); }
    std::optional<Text> setPath(const Text &path) override;
    void notify(int code) override;

private:
    void fill();

    std::wstring m_path;
    std::vector<std::wstring> m_rows; // the folder of each entry
};

class FileNames : public FileList, public Child
{
public:
    FileNames(HWND handle, Watch alive);
    Text path() const override { return fromWide(m_path); }
    void setPath(const Text &path) override;
    Text selectedName() const override;
    void notify(int code) override;

private:
    std::wstring m_path;
};

// The system's description of an error code, without the closing period
// and line break.
Text errorText(DWORD error);

// The subfolders (directories = true) or ordinary files of a folder, with
// no hidden or system entries, sorted ignoring case; error is set when the
// folder cannot be read.
struct Listing
{
    std::vector<std::wstring> names;
    DWORD error = 0;
};
Listing listFolder(const std::wstring &folder, bool directories);

} // namespace forms::win32
