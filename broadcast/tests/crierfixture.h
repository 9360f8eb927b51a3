// A Crier main window on recording stand-ins, with its files in a folder of
// the test's own.
#pragma once

#include "fakesystem.h"
#include "faketoolkit.h"
#include "frmmain.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

class CrierTest : public testing::Test
{
protected:
    CrierTest()
    {
        const std::string folder = (files.path() / "Crier").string();
        system.folder = std::u16string(folder.begin(), folder.end());
    }

    std::filesystem::path settingsPath() const { return files.path() / "Crier" / "ZK.INI"; }
    std::filesystem::path messagePath() const { return files.path() / "Crier" / "Message.txt"; }

    void writeSettings(const std::string &content) const { writeFile(settingsPath(), content); }
    void writeMessage(const std::string &content) const { writeFile(messagePath(), content); }
    static void writeFile(const std::filesystem::path &path, const std::string &content)
    {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }
    // The settings file with its line ends as LF: a new one is written
    // with CR LF, as Windows writes it.
    std::string settingsText() const
    {
        std::string text = readFile(settingsPath());
        std::erase(text, '\r');
        return text;
    }
    static std::string readFile(const std::filesystem::path &path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // Loads the window, as starting the program does.
    crier::FrmMain &start()
    {
        form = std::make_unique<crier::FrmMain>(toolkit, system);
        form->show();
        return *form;
    }

    fakes::View &window() { return *toolkit.findView("frmMain"); }
    fakes::ListBox &lstNetwork() { return window().control<fakes::ListBox>("lstNetwork"); }
    fakes::ListBox &lstStatus() { return window().control<fakes::ListBox>("lstStatus"); }
    fakes::ListBox &lstTemp() { return window().control<fakes::ListBox>("lstTemp"); }
    fakes::TextBox &txtAddress() { return window().control<fakes::TextBox>("txtAddress"); }
    fakes::TextBox &txtMessage() { return window().control<fakes::TextBox>("txtMessage"); }
    fakes::TextBox &txtCount() { return window().control<fakes::TextBox>("txtCount"); }
    fakes::TextBox &txtFile() { return window().control<fakes::TextBox>("txtFile"); }
    fakes::CheckBox &chkCount() { return window().control<fakes::CheckBox>("chkCount"); }
    fakes::Button &cmdAdd() { return window().control<fakes::Button>("cmdAdd"); }
    fakes::Button &cmdRemove() { return window().control<fakes::Button>("cmdRemove"); }
    fakes::Button &cmdSave() { return window().control<fakes::Button>("cmdSave"); }
    fakes::Button &cmdSend() { return window().control<fakes::Button>("cmdSend"); }
    fakes::Button &cmdBrowse() { return window().control<fakes::Button>("cmdBrowse"); }
    fakes::Timer &tmrCount() { return window().control<fakes::Timer>("tmrCount"); }

    // Presses Send and lets the run go to its end, as the event loop would.
    void pressSend()
    {
        cmdSend().click();
        toolkit.runPosted();
    }
    // Ends the held send to that host and shows its result.
    void complete(const std::u16string &host)
    {
        system.complete(host);
        toolkit.runPosted();
    }

    // Types entries into the book through the field and "+", so that each
    // new one goes to the top: the list ends up in the order given.
    void fillBook(const std::vector<std::u16string> &entries)
    {
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
            txtAddress().value = *entry;
            cmdAdd().click();
        }
    }

    TempFolder files;
    fakes::Toolkit toolkit;
    fakes::System system;
    std::unique_ptr<crier::FrmMain> form;
};
