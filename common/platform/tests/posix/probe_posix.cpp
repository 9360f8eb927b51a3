// The POSIX platform as the contract tests see it: smbclient is the messaging
// service, "/" the separator, a leading dot hides.
#include "../probe.h"
#include "fakesmbclient.h"
#include "smbclient/wirecharset.h"

#include <QString>

#include <random>

#include <unistd.h>

namespace probe {

namespace {

std::u16string fromUtf8(const std::string &bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())).toStdU16String();
}

// The text as smbclient reads it: in the set its --option names as its unix
// charset.  Bytes not valid there come back as a marker.
std::u16string asSmbclientReads(const testsupport::SmbclientRun &run, const std::string &bytes)
{
    const std::string option = "--option=unix charset=";
    for (const std::string &argument : run.arguments) {
        if (argument.starts_with(option))
            return smbclient::fromWire(bytes, argument.substr(option.size()))
                .value_or(u"<not valid in " + fromUtf8(argument) + u">");
    }
    return u"<no unix charset given>";
}

} // namespace

struct MessageService::Private
{
    testsupport::FakeSmbclient smbclient;
};

MessageService::MessageService() : d(std::make_unique<Private>()) { }
MessageService::~MessageService() = default;

std::vector<std::string> MessageService::refusals()
{
    return {"exit status 1", "exit status 0 with refusal on stderr"};
}

void MessageService::refuse(const std::string &how)
{
    if (how == "exit status 1") {
        d->smbclient.exitWith(1);
    } else {
        d->smbclient.exitWith(0);
        d->smbclient.writeToStderr("cli_message returned NT_STATUS_ACCESS_DENIED");
    }
}

std::vector<Handover> MessageService::handovers() const
{
    std::vector<Handover> result;
    for (const testsupport::SmbclientRun &run : d->smbclient.runs()) {
        const std::string recipient = run.arguments.empty() ? std::string() : run.arguments.back();
        result.push_back(
            {asSmbclientReads(run, recipient), asSmbclientReads(run, run.standardInput)});
    }
    return result;
}

std::u16string lineBreak()
{
    return u"\n";
}

std::vector<SlashCase> addSlashCases()
{
    return {
        {"Empty", u"", u"/"},
        {"Root", u"/", u"/"},
        {"EndsInSlash", u"/tmp/", u"/tmp/"},
        {"Folder", u"/tmp", u"/tmp/"},
        {"BackslashIsNoSeparator", u"C:\\x", u"C:\\x/"},
        {"Relative", u"rel/dir", u"rel/dir/"},
        {"EndsInBackslash", u"dir\\", u"dir\\/"},
    };
}

std::vector<Concealment> concealments()
{
    return {{"a leading dot", [](const std::string &name) { return "." + name; },
        [](const std::filesystem::path &) { return true; }}};
}

std::u16string pathOnMissingRoot()
{
    std::random_device random;
    for (;;) {
        const std::filesystem::path root = "/quillon-missing-" + std::to_string(random());
        if (!std::filesystem::exists(root))
            return (root / "note.txt").u16string();
    }
}

std::u16string nativeText(const std::filesystem::path &path)
{
    return path.u16string();
}

std::u16string expectedComputerName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return fromUtf8(name);
}

} // namespace probe
