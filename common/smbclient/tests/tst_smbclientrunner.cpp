#include "smbclient/portcheck.h"
#include "smbclient/smbclientrunner.h"

#include "qtfakesmbclient.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <csignal>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
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

// A stand-in smbclient written for one case, in a folder of its own.
class Script
{
public:
    explicit Script(const QByteArray &body)
    {
        QFile file(path());
        file.open(QIODevice::WriteOnly);
        file.write("#!/bin/sh\nd='" + QFile::encodeName(m_dir.path()) + "'\n" + body);
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    }
    QString path() const { return m_dir.filePath(QStringLiteral("smbclient")); }
    QString file(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private:
    QTemporaryDir m_dir;
};

// Gone, or ended and waiting for its parent (init) to collect it.
bool ended(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) == "Z";
}

// A socket on 127.0.0.1 and the port it has; listening with room for
// `pending` connections, or not listening at all.
class Port
{
public:
    explicit Port(int pending = -1)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        socklen_t size = sizeof address;
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &size);
        m_port = ntohs(address.sin_port);
        if (pending >= 0)
            ::listen(m_fd, pending);
    }
    ~Port() { ::close(m_fd); }
    std::uint16_t number() const { return m_port; }

private:
    int m_fd = -1;
    std::uint16_t m_port = 0;
};

bool connectTo(std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    // Left open: it fills the queue.
    return ok;
}

} // namespace

Q_DECLARE_METATYPE(smbclient::PortAnswer)

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
    void endsAtTheDeadline_data();
    void endsAtTheDeadline();
    void stopEndsARunUnderWay();
    void checksThePort_data();
    void checksThePort();
    void refusedPortStartsNoSmbclient();
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

void TestSmbclientRunner::endsAtTheDeadline_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("deadline");
    QTest::addColumn<Outcome>("expected");

    // The run and what it started die with its process group.
    QTest::newRow("hangs with a child") << QByteArray("/bin/sleep 60 &\n"
                                                      "echo $! > \"$d/child\"\n"
                                                      "exec /bin/sleep 60\n")
                                        << 300 << Outcome::Failed;
    QTest::newRow("deaf to SIGTERM")
        << QByteArray("trap '' TERM\n/bin/sleep 60\n") << 300 << Outcome::Failed;
    QTest::newRow("closes stderr and hangs")
        << QByteArray("exec 2>&-\nexec /bin/sleep 60\n") << 300 << Outcome::Failed;
    QTest::newRow("ends in time") << QByteArray("/bin/cat > /dev/null\nexit 0\n") << 20000
                                  << Outcome::Delivered;
}

void TestSmbclientRunner::endsAtTheDeadline()
{
    QFETCH(QByteArray, body);
    QFETCH(int, deadline);
    QFETCH(Outcome, expected);
    const Script script(body);
    const QByteArray program = QFile::encodeName(script.path());
    smbclient::Options options;
    options.program = program.constData();
    options.deadline = std::chrono::milliseconds(deadline);

    CapturedFd err(STDERR_FILENO);
    QElapsedTimer clock;
    clock.start();
    const auto result = smbclient::sendMessage(u"PC01", u"Hi\n", options);
    const qint64 elapsed = clock.elapsed();
    err.text();

    QCOMPARE(result.outcome, expected);
    QVERIFY2(elapsed < qMin(deadline, 5000) + 3000, qPrintable(QString::number(elapsed)));
    QCOMPARE(QByteArray::fromStdString(result.diagnostics).contains("did not end within"),
        expected == Outcome::Failed);
    QFile child(script.file("child"));
    if (child.open(QIODevice::ReadOnly))
        QTRY_VERIFY(ended(pid_t(child.readAll().trimmed().toInt())));
}

void TestSmbclientRunner::stopEndsARunUnderWay()
{
    const Script script("echo started > \"$d/fifo\"\nexec /bin/sleep 60\n");
    QVERIFY(::mkfifo(QFile::encodeName(script.file("fifo")).constData(), 0600) == 0);
    const QByteArray program = QFile::encodeName(script.path());
    std::stop_source stop;
    smbclient::Options options;
    options.program = program.constData();
    options.stop = stop.get_token();

    // Stops once the run has begun: the script says so through the FIFO.
    std::thread stopper([&] {
        QFile fifo(script.file("fifo"));
        if (fifo.open(QIODevice::ReadOnly))
            fifo.readLine();
        stop.request_stop();
    });
    QElapsedTimer clock;
    clock.start();
    const auto result = smbclient::sendMessage(u"PC01", u"Hi\n", options);
    stopper.join();

    QCOMPARE(result.outcome, Outcome::Failed);
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(QByteArray::fromStdString(result.diagnostics).contains("stopped"),
        result.diagnostics.c_str());
}

void TestSmbclientRunner::checksThePort_data()
{
    QTest::addColumn<int>("pending");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("stopped");
    QTest::addColumn<smbclient::PortAnswer>("expected");

    QTest::newRow("listening") << 5 << "127.0.0.1" << false << smbclient::PortAnswer::Accepted;
    QTest::newRow("nobody listens") << -1 << "127.0.0.1" << false << smbclient::PortAnswer::Refused;
    // With a full queue the host drops the connection attempt.
    QTest::newRow("queue full") << 0 << "127.0.0.1" << false << smbclient::PortAnswer::Silent;
    QTest::newRow("stopped") << 0 << "127.0.0.1" << true << smbclient::PortAnswer::Stopped;
    QTest::newRow("a name") << 5 << "PC01" << false << smbclient::PortAnswer::Unknown;
    QTest::newRow("short dotted form") << 5 << "127.1" << false << smbclient::PortAnswer::Unknown;
}

void TestSmbclientRunner::checksThePort()
{
    QFETCH(int, pending);
    QFETCH(QString, address);
    QFETCH(bool, stopped);
    QFETCH(smbclient::PortAnswer, expected);
    const Port port(pending);
    if (pending == 0)
        QVERIFY(connectTo(port.number()));

    std::stop_source stop;
    if (stopped)
        stop.request_stop();
    const auto answer = smbclient::checkPort(address.toStdString(), port.number(),
        std::chrono::milliseconds(stopped ? 20000 : 500), stop.get_token());
    QCOMPARE(answer, expected);
}

void TestSmbclientRunner::refusedPortStartsNoSmbclient()
{
    if (smbclient::checkPort("127.0.0.1", 139, std::chrono::milliseconds(500))
        != smbclient::PortAnswer::Refused)
        QSKIP("something answers on 127.0.0.1:139 here");
    testsupport::FakeSmbclient fake;
    smbclient::Options options;
    options.checkPort = true;
    const auto result = smbclient::sendMessage(u"127.0.0.1", u"Hi\n", options);
    QCOMPARE(result.outcome, Outcome::Failed);
    QVERIFY(QByteArray::fromStdString(result.diagnostics).contains("refused"));
    QVERIFY(!fake.ran());
    // A name goes to smbclient whatever port 139 of any address does.
    QCOMPARE(smbclient::sendMessage(u"PC01", u"Hi\n", options).outcome, Outcome::Delivered);
    QVERIFY(fake.ran());
}

QTEST_GUILESS_MAIN(TestSmbclientRunner)
#include "tst_smbclientrunner.moc"
