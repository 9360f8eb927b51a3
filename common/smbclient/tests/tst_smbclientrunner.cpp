#include "smbclient/smbclientrunner.h"

#include "qtfakesmbclient.h"

#include <QFile>
#include <QTemporaryFile>
#include <QTest>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

using smbclient::Outcome;

Q_DECLARE_METATYPE(Outcome)

namespace {

// Sends fd (1 or 2) into a file while the object lives.
class CapturedFd
{
public:
    explicit CapturedFd(int fd) : m_fd(fd)
    {
        m_file.open();
        ::fflush(nullptr);
        m_saved = ::dup(fd);
        ::dup2(m_file.handle(), fd);
    }
    ~CapturedFd() { restore(); }
    QByteArray text()
    {
        restore();
        QFile file(m_file.fileName());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        ::dup2(m_saved, m_fd);
        ::close(m_saved);
        m_saved = -1;
    }
    int m_fd;
    int m_saved = -1;
    QTemporaryFile m_file;
};

smbclient::Result send(const QByteArray &address, const QByteArray &input)
{
    return smbclient::sendMessage(address.toStdString(),
                                  std::string_view(input.constData(), input.size()));
}

} // namespace

class TestSmbclientRunner : public QObject
{
    Q_OBJECT
private slots:
    void handsOverArgumentsAndInputLiterally_data();
    void handsOverArgumentsAndInputLiterally();
    void classifiesTheEnd_data();
    void classifiesTheEnd();
    void cannotStartWithoutSmbclient();
    void cannotStartANonExecutable();
    void swallowsThePromptButPassesStderrOn();
    void refusesWhatTheProtocolCannotCarry_data();
    void refusesWhatTheProtocolCannotCarry();
    void survivesAReaderThatGoesAway();
};

void TestSmbclientRunner::handsOverArgumentsAndInputLiterally_data()
{
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QByteArray>("input");

    QTest::newRow("plain") << QByteArray("PC01") << QByteArray("Hello\n");
    QTest::newRow("shell characters") << QByteArray("a\"b$(touch x)`id`\\;|&")
                                      << QByteArray("\"$HOME\" `id` $(id) \\n \\ ' ; | & *\n");
    QTest::newRow("address like an option") << QByteArray("-N") << QByteArray("x\n");
    QTest::newRow("spaces") << QByteArray("  ") << QByteArray("   \n");
    QTest::newRow("three lines") << QByteArray("PC01") << QByteArray("one\ntwo\nthree\n");
    QTest::newRow("no line feed") << QByteArray("PC01") << QByteArray("as is");
    QTest::newRow("utf-8") << QByteArray("K\xc3\xb6k") << QByteArray("\xc3\x9c \xe2\x82\xac\n");
}

void TestSmbclientRunner::handsOverArgumentsAndInputLiterally()
{
    QFETCH(QByteArray, address);
    QFETCH(QByteArray, input);
    testsupport::FakeSmbclient fake;

    QCOMPARE(send(address, input).outcome, Outcome::Delivered);
    QCOMPARE(lastArguments(fake), QStringList({QStringLiteral("-M"), QString::fromUtf8(address)}));
    QCOMPARE(lastInput(fake), input);
}

void TestSmbclientRunner::classifiesTheEnd_data()
{
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("signal");
    QTest::addColumn<QByteArray>("stderrLine");
    QTest::addColumn<Outcome>("expected");

    QTest::newRow("exit 0") << 0 << 0 << QByteArray() << Outcome::Delivered;
    QTest::newRow("exit 1") << 1 << 0 << QByteArray() << Outcome::Failed;
    QTest::newRow("exit 127") << 127 << 0 << QByteArray() << Outcome::Failed;
    QTest::newRow("signal") << 0 << SIGTERM << QByteArray() << Outcome::Failed;
    QTest::newRow("dropped by the receiver")
            << 0 << 0 << QByteArray("cli_message returned NT_STATUS_ACCESS_DENIED")
            << Outcome::Failed;
    QTest::newRow("dropped, after other output")
            << 0 << 0 << QByteArray("some warning\ncli_message returned NT_STATUS_INVALID_PARAMETER")
            << Outcome::Failed;
    QTest::newRow("harmless stderr") << 0 << 0 << QByteArray("lp_load_ex: changing to config backend")
                                     << Outcome::Delivered;
    QTest::newRow("marker not at line start")
            << 0 << 0 << QByteArray("note: cli_message returned NT_STATUS_X") << Outcome::Delivered;
}

void TestSmbclientRunner::classifiesTheEnd()
{
    QFETCH(int, exitCode);
    QFETCH(int, signal);
    QFETCH(QByteArray, stderrLine);
    QFETCH(Outcome, expected);
    testsupport::FakeSmbclient fake;
    fake.exitWith(exitCode);
    if (signal)
        fake.killWith(signal);
    if (!stderrLine.isEmpty())
        fake.writeToStderr(stderrLine.toStdString());

    CapturedFd err(STDERR_FILENO);
    QCOMPARE(send("PC01", "Hi\n").outcome, expected);
}

void TestSmbclientRunner::cannotStartWithoutSmbclient()
{
    testsupport::FakeSmbclient fake;
    fake.hide();
    QCOMPARE(send("PC01", "Hi\n").outcome, Outcome::CouldNotStart);
    QVERIFY(!fake.ran());
}

void TestSmbclientRunner::cannotStartANonExecutable()
{
    testsupport::FakeSmbclient fake;
    QFile::setPermissions(QString::fromStdString(fake.folder()) + QStringLiteral("/smbclient"),
                          QFile::ReadOwner | QFile::WriteOwner);
    // Even root cannot run a file without any execute bit.
    QCOMPARE(send("PC01", "Hi\n").outcome, Outcome::CouldNotStart);
    QVERIFY(!fake.ran());
}

void TestSmbclientRunner::swallowsThePromptButPassesStderrOn()
{
    testsupport::FakeSmbclient fake;
    fake.writeToStderr("Connection to PC01 failed");
    fake.exitWith(1);
    CapturedFd out(STDOUT_FILENO);
    CapturedFd err(STDERR_FILENO);
    const auto result = send("PC01", "Hi\n");
    const QByteArray printed = out.text();
    const QByteArray diagnosed = err.text();

    QCOMPARE(result.outcome, Outcome::Failed);
    QVERIFY2(!printed.contains("Type your message"), printed.constData());
    QVERIFY2(diagnosed.contains("Connection to PC01 failed"), diagnosed.constData());
    QVERIFY(QByteArray::fromStdString(result.diagnostics).contains("Connection to PC01 failed"));
}

void TestSmbclientRunner::refusesWhatTheProtocolCannotCarry_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<Outcome>("expected");

    QTest::newRow("exactly the limit") << QByteArray(1598, 'a') << Outcome::Delivered;
    QTest::newRow("one byte over") << QByteArray(1599, 'a') << Outcome::TooLong;
    QTest::newRow("limit with the closing LF") << QByteArray(1596, 'a') + '\n' << Outcome::Delivered;
    QTest::newRow("closing LF counts two") << QByteArray(1597, 'a') + '\n' << Outcome::TooLong;
    QTest::newRow("every LF counts two") << QByteArray(799, '\n') << Outcome::Delivered;
    QTest::newRow("800 LFs are too many") << QByteArray(800, '\n') << Outcome::TooLong;
}

void TestSmbclientRunner::refusesWhatTheProtocolCannotCarry()
{
    QFETCH(QByteArray, input);
    QFETCH(Outcome, expected);
    testsupport::FakeSmbclient fake;

    QCOMPARE(send("PC01", input).outcome, expected);
    QCOMPARE(fake.ran(), expected != Outcome::TooLong);
}

void TestSmbclientRunner::survivesAReaderThatGoesAway()
{
    // A smbclient that ends before reading its input must not take us with it
    // through SIGPIPE.
    QTemporaryDir dir;
    QFile script(dir.filePath(QStringLiteral("smbclient")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nexec 0<&-\nexit 1\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", dir.path().toLocal8Bit());
    for (int i = 0; i < 20; ++i)
        QCOMPARE(send("PC01", QByteArray(1500, 'x')).outcome, Outcome::Failed);
    qputenv("PATH", oldPath);
}

QTEST_GUILESS_MAIN(TestSmbclientRunner)
#include "tst_smbclientrunner.moc"
