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

smbclient::Result send(const QString &address, const QString &message)
{
    return smbclient::sendMessage(address.toStdU16String(), message.toStdU16String());
}

// What smbclient is told besides the address: the test run's configuration
// names no dos charset, so the wire set is smbclient's default.
const QString unixCharsetOption = QStringLiteral("--option=unix charset=CP850");

} // namespace

class TestSmbclientRunner : public QObject
{
    Q_OBJECT
private slots:
    void handsOverArgumentsAndInputLiterally_data();
    void handsOverArgumentsAndInputLiterally();
    void refusesWhatTheWireSetCannotHold_data();
    void refusesWhatTheWireSetCannotHold();
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
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<QByteArray>("input");

    QTest::newRow("plain") << "PC01"
                           << "Hello\n"
                           << QByteArray("PC01") << QByteArray("Hello\n");
    QTest::newRow("shell characters") << "a\"b$(touch x)`id`\\;|&"
                                      << "\"$HOME\" `id` $(id) \\n \\ ' ; | & *\n"
                                      << QByteArray("a\"b$(touch x)`id`\\;|&")
                                      << QByteArray("\"$HOME\" `id` $(id) \\n \\ ' ; | & *\n");
    QTest::newRow("address like an option") << "-N"
                                            << "x\n"
                                            << QByteArray("-N") << QByteArray("x\n");
    QTest::newRow("spaces") << "  "
                            << "   \n"
                            << QByteArray("  ") << QByteArray("   \n");
    QTest::newRow("three lines") << "PC01"
                                 << "one\ntwo\nthree\n"
                                 << QByteArray("PC01") << QByteArray("one\ntwo\nthree\n");
    QTest::newRow("no line feed") << "PC01"
                                  << "as is" << QByteArray("PC01") << QByteArray("as is");
    QTest::newRow("cp850 letters") << "Kök"
                                   << "Grüße, Ærø\n"
                                   << QByteArray("K\x94k")
                                   << QByteArray("Gr\x81\xe1"
                                                 "e, \x92r\x9b\n");
    // smbclient reads its input in pieces of 127 bytes.
    QTest::newRow("letter at byte 127")
        << "PC01" << QString(126, u'a') + QStringLiteral("\u00e9tail") << QByteArray("PC01")
        << QByteArray(126, 'a') + "\x82tail";
    QTest::newRow("letter at byte 128")
        << "PC01" << QString(127, u'a') + QStringLiteral("\u00e9tail") << QByteArray("PC01")
        << QByteArray(127, 'a') + "\x82tail";
}

void TestSmbclientRunner::handsOverArgumentsAndInputLiterally()
{
    QFETCH(QString, address);
    QFETCH(QString, message);
    QFETCH(QByteArray, host);
    QFETCH(QByteArray, input);
    testsupport::FakeSmbclient fake;

    QCOMPARE(send(address, message).outcome, Outcome::Delivered);
    const auto run = fake.lastRun();
    QCOMPARE(run.arguments.size(), std::size_t(3));
    QCOMPARE(QString::fromStdString(run.arguments[0]), unixCharsetOption);
    QCOMPARE(QString::fromStdString(run.arguments[1]), QStringLiteral("-M"));
    QCOMPARE(QByteArray::fromStdString(run.arguments[2]), host);
    QCOMPARE(lastInput(fake), input);
}

void TestSmbclientRunner::refusesWhatTheWireSetCannotHold_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("message");

    QTest::newRow("euro") << "PC01"
                          << "Preis: 5 \u20ac";
    QTest::newRow("cjk") << "PC01"
                         << "\u4f60\u597d\u4e16\u754c";
    QTest::newRow("nul in the message")
        << "PC01" << QStringLiteral("Hi") + QChar(0) + QStringLiteral("there");
    QTest::newRow("nul in the address")
        << QStringLiteral("127.0.0.41") + QChar(0) + QStringLiteral("junk") << "Hi";
    QTest::newRow("euro in the address") << "PC\u20ac"
                                         << "Hi";
    // Refused before the length is looked at.
    QTest::newRow("too long and a euro")
        << "PC01" << QString(1600, u'a') + QStringLiteral("\u20ac");
}

void TestSmbclientRunner::refusesWhatTheWireSetCannotHold()
{
    QFETCH(QString, address);
    QFETCH(QString, message);
    testsupport::FakeSmbclient fake;

    QCOMPARE(send(address, message).outcome, Outcome::Unrepresentable);
    QVERIFY(!fake.ran());
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
        << 0 << 0 << QByteArray("cli_message returned NT_STATUS_ACCESS_DENIED") << Outcome::Failed;
    QTest::newRow("dropped, after other output")
        << 0 << 0 << QByteArray("some warning\ncli_message returned NT_STATUS_INVALID_PARAMETER")
        << Outcome::Failed;
    QTest::newRow("harmless stderr")
        << 0 << 0 << QByteArray("lp_load_ex: changing to config backend") << Outcome::Delivered;
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
    QTest::addColumn<QString>("message");
    QTest::addColumn<Outcome>("expected");

    QTest::newRow("exactly the limit") << QString(1598, u'a') << Outcome::Delivered;
    QTest::newRow("one byte over") << QString(1599, u'a') << Outcome::TooLong;
    QTest::newRow("limit with the closing LF") << QString(1596, u'a') + u'\n' << Outcome::Delivered;
    QTest::newRow("closing LF counts two") << QString(1597, u'a') + u'\n' << Outcome::TooLong;
    QTest::newRow("every LF counts two") << QString(799, u'\n') << Outcome::Delivered;
    QTest::newRow("800 LFs are too many") << QString(800, u'\n') << Outcome::TooLong;
    // A letter is one byte in the wire set, however long it is in UTF-8.
    QTest::newRow("1,598 letters e acute") << QString(1598, u'\u00e9') << Outcome::Delivered;
    QTest::newRow("1,599 letters e acute") << QString(1599, u'\u00e9') << Outcome::TooLong;
    QTest::newRow("letters with the closing LF")
        << QString(1596, u'\u00e9') + u'\n' << Outcome::Delivered;
}

void TestSmbclientRunner::refusesWhatTheProtocolCannotCarry()
{
    QFETCH(QString, message);
    QFETCH(Outcome, expected);
    testsupport::FakeSmbclient fake;

    QCOMPARE(send("PC01", message).outcome, expected);
    QCOMPARE(fake.ran(), expected != Outcome::TooLong);
    if (expected == Outcome::Delivered)
        QCOMPARE(smbclient::wireLength(fake.lastRun().standardInput), std::size_t(1598));
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
        QCOMPARE(send("PC01", QString(1500, u'x')).outcome, Outcome::Failed);
    qputenv("PATH", oldPath);
}

QTEST_GUILESS_MAIN(TestSmbclientRunner)
#include "tst_smbclientrunner.moc"
