// Crier's forms on the Win32 toolkit, in this process: the real controls,
// the stand-in netapi32.dll beside the test, the files in a folder of the
// test's own.
#pragma once

#include "fakenetapi.h"
#include "frmfile.h"
#include "frmmain.h"
#include "system.h"
#include "tempfolder.h"
#include "win32testing.h"
#include "win32toolkit.h"
#include "windowchecks.h"
#include "windowtables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

class CrierWindows : public testing::Test
{
protected:
    CrierWindows()
    {
        toolkit.setQuitOnLastWindowClosed(false);
        system.folder = win32testing::native(files.path());
    }

    crier::FrmMain &start()
    {
        form = std::make_unique<crier::FrmMain>(toolkit, system);
        form->show();
        win32testing::pumpUntil(toolkit, [&] { return ::GetActiveWindow() == mainWindow(); });
        return *form;
    }

    HWND mainWindow() { return forms::win32::windowOf(form->view()); }
    HWND control(const char *name)
    {
        return win32testing::control(form->view(), crier::mainWindow, name);
    }
    std::vector<std::wstring> items(const char *name)
    {
        const HWND list = control(name);
        std::vector<std::wstring> result;
        const int count = int(::SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            std::wstring item(
                std::size_t(::SendMessageW(list, LB_GETTEXTLEN, WPARAM(i), 0)) + 1, L'\0');
            item.resize(std::size_t(::SendMessageW(
                list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(item.data()))));
            result.push_back(item);
        }
        return result;
    }
    // Types into a control and lets the window handle every key.
    void type(const char *name, const std::wstring &characters)
    {
        win32testing::typeText(control(name), characters);
        toolkit.processPendingEvents();
    }
    void press(const char *name, WPARAM key)
    {
        win32testing::pressKey(control(name), key);
        toolkit.processPendingEvents();
    }
    void click(const char *name) { ::SendMessageW(control(name), BM_CLICK, 0, 0); }

    void writeFile(const char *name, const std::string &content) const
    {
        std::ofstream(files.path() / name, std::ios::binary) << content;
    }
    std::string readFile(const char *name) const
    {
        std::ifstream in(files.path() / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TempFolder files;
    win32testing::FolderSystem system;
    forms::win32::Toolkit toolkit;
    std::unique_ptr<crier::FrmMain> form;
};
