// The controls a form works on, whatever toolkit draws them.
//
// A form (the behaviour of one window) sees its controls only through these
// interfaces; each toolkit supplies one adapter per kind.  Plain C++ with
// UTF-16 text, so that the forms build for Qt and for Win32 alike.
//
// Events are callbacks that the form sets and the adapter calls.  An adapter
// reports what the user does; of the program's own changes it reports only
// the text change of a text box, as the native controls do.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace forms {

using Text = std::u16string;

// The line break in the text of a multi-line box: the platform's own.
#ifdef _WIN32
inline constexpr char16_t lineBreak[] = u"\r\n";
#else
inline constexpr char16_t lineBreak[] = u"\n";
#endif

class Control
{
public:
    virtual ~Control() = default;
};

class TextBox : public Control
{
public:
    virtual Text text() const = 0;
    virtual void setText(const Text &text) = 0;
    virtual void setFocus() = 0;

    // The text changed, by typing or by the program.
    std::function<void()> onChange;
    // A character is about to be typed.  Answers the character code to type
    // instead; 0 drops the key.  Enter comes as 13: it starts a new line in
    // a multi-line box and types nothing into a one-line one.
    std::function<int(int keyAscii)> onKeyPress;
};

class ListBox : public Control
{
public:
    virtual int count() const = 0;
    virtual Text item(int index) const = 0;
    virtual void addItem(const Text &text) = 0;
    virtual void insertItem(int index, const Text &text) = 0;
    virtual void removeItem(int index) = 0;
    virtual void clear() = 0;
    // The entry with the keyboard focus mark, or -1 before there is one.
    virtual int currentIndex() const = 0;
    virtual bool isSelected(int index) const = 0;

    // The user picked an entry, with the mouse or the arrow keys: once per
    // click or key, whether the selection changed or not.
    std::function<void()> onClick;
};

class Button : public Control
{
public:
    virtual Text caption() const = 0;
    virtual void setCaption(const Text &caption) = 0;
    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;

    std::function<void()> onClick;
};

class CheckBox : public Control
{
public:
    // The values the settings file stores.  A click toggles between
    // Unchecked and Checked; only the program sets Grayed.
    enum State { Unchecked = 0, Checked = 1, Grayed = 2 };
    virtual State state() const = 0;
    virtual void setState(State state) = 0;
};

class Label : public Control
{
public:
    virtual Text caption() const = 0;
    virtual void setCaption(const Text &caption) = 0;
};

class Timer : public Control
{
public:
    virtual int interval() const = 0; // milliseconds
    virtual void setInterval(int milliseconds) = 0;
    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;

    std::function<void()> onTick;
};

// The drives (Windows) or mounted file systems (elsewhere) to pick from.
class DriveList : public Control
{
public:
    // The drive shown, as a folder list can open it.
    virtual Text drive() const = 0;

    std::function<void()> onChange;
};

// The folders on the path to the open folder and that folder's subfolders.
class FolderList : public Control
{
public:
    virtual Text path() const = 0;
    // Opens the folder (a drive opens at its current folder).  On failure
    // the list stays where it was and the answer is the system's
    // description of the error.
    virtual std::optional<Text> setPath(const Text &path) = 0;

    // The user opened another folder.
    std::function<void()> onChange;
};

// The ordinary files of one folder: no folders, no hidden or system files.
class FileList : public Control
{
public:
    virtual Text path() const = 0;
    virtual void setPath(const Text &path) = 0;
    // The name of the selected file, or empty.
    virtual Text selectedName() const = 0;

    std::function<void()> onDoubleClick;
};

} // namespace forms
