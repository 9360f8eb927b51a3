// What Quillbox shows of received bytes, and what its set-up line says.
#include "displaytext.h"
#include "setupcheck.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

using quillbox::Lines;

class TestQuillboxText : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void visibleText_data();
    void visibleText();
    void everyControlIsVisible();
    void headerLine_data();
    void headerLine();
    void setupProblem_data();
    void setupProblem();
    void namesDeliver_data();
    void namesDeliver();
    void checkAsksTestparm_data();
    void checkAsksTestparm();
};

void TestQuillboxText::initTestCase()
{
    qputenv("TZ", "UTC");
    ::tzset();
}

void TestQuillboxText::visibleText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("oneLine");
    QTest::addColumn<QString>("shown");

    QTest::newRow("UTF-8") << QByteArray("Gr\xc3\xbc\xc3\x9f"
                                         "e\n")
                           << false << QStringLiteral("Grüße\n");
    QTest::newRow("tab and line feed kept")
        << QByteArray("a\tb\nc") << false << QStringLiteral("a\tb\nc");
    QTest::newRow("tab and line feed in a name")
        << QByteArray("a\tb\nc") << true << QStringLiteral("a\u2409b\u240ac");
    QTest::newRow("carriage return")
        << QByteArray("a\r\nb") << false << QStringLiteral("a\u240d\nb");
    QTest::newRow("NUL") << QByteArray("a\0b", 3) << false << QStringLiteral("a\u2400b");
    QTest::newRow("escape sequence") << QByteArray("\x1b[2J\x1b]0;x\x07") << false
                                     << QStringLiteral("\u241b[2J\u241b]0;x\u2407");
    QTest::newRow("backspace") << QByteArray("secret\b\b\b\b\b\bpublic") << false
                               << QStringLiteral(
                                      "secret\u2408\u2408\u2408\u2408\u2408\u2408public");
    QTest::newRow("DEL") << QByteArray("a\x7f") << false << QStringLiteral("a\u2421");
    QTest::newRow("C1 next line") << QByteArray("a\xc2\x85"
                                                "b")
                                  << false << QStringLiteral("a\\u{85}b");
    QTest::newRow("C1 CSI") << QByteArray("\xc2\x9b"
                                          "31m")
                            << false << QStringLiteral("\\u{9B}31m");
    QTest::newRow("right-to-left override") << QByteArray("invoice_\xe2\x80\xae"
                                                          "fdp.exe")
                                            << false << QStringLiteral("invoice_\\u{202E}fdp.exe");
    QTest::newRow("embeddings and pop") << QByteArray("\xe2\x80\xaa"
                                                      "a\xe2\x80\xab"
                                                      "b\xe2\x80\xac")
                                        << false << QStringLiteral("\\u{202A}a\\u{202B}b\\u{202C}");
    QTest::newRow("isolates") << QByteArray("\xe2\x81\xa6"
                                            "a\xe2\x81\xa7\xe2\x81\xa8\xe2\x81\xa9")
                              << false << QStringLiteral("\\u{2066}a\\u{2067}\\u{2068}\\u{2069}");
    QTest::newRow("marks") << QByteArray("\xe2\x80\x8e\xe2\x80\x8f\xd8\x9c") << false
                           << QStringLiteral("\\u{200E}\\u{200F}\\u{61C}");
    QTest::newRow("line and paragraph separators") << QByteArray(
        "a\xe2\x80\xa8"
        "b\xe2\x80\xa9"
        "c") << false << QStringLiteral("a\\u{2028}b\\u{2029}c");
    QTest::newRow("zero width") << QByteArray("p\xe2\x80\x8b"
                                              "ay\xef\xbb\xbf\xe2\x81\xa0")
                                << false << QStringLiteral("p\\u{200B}ay\\u{FEFF}\\u{2060}");
    QTest::newRow("tag characters") << QByteArray("a\xf3\xa0\x81\x81\xf3\xa0\x81\xbf") << false
                                    << QStringLiteral("a\\u{E0041}\\u{E007F}");
    // Scripts and emoji that need them are left as they are.
    QTest::newRow("joined emoji") << QByteArray("\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x92\xbb")
                                  << false << QStringLiteral("\U0001F469\u200D\U0001F4BB");
    QTest::newRow("Arabic") << QByteArray("\xd9\x85\xd8\xb1\xd8\xad\xd8\xa8\xd8\xa7") << false
                            << QStringLiteral("\u0645\u0631\u062d\u0628\u0627");
    QTest::newRow("invalid byte") << QByteArray("a\xff"
                                                "b")
                                  << false << QStringLiteral("a\ufffdb");
    QTest::newRow("Latin-1 byte") << QByteArray("Gr\xfc\xdf"
                                                "e")
                                  << false << QStringLiteral("Gr\ufffd\ufffde");
    QTest::newRow("cut sequence") << QByteArray("ab\xc3") << false << QStringLiteral("ab\ufffd");
}

void TestQuillboxText::visibleText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, oneLine);
    QFETCH(QString, shown);
    QCOMPARE(quillbox::visibleText({bytes.constData(), std::size_t(bytes.size())},
                 oneLine ? Lines::Shown : Lines::Kept),
        shown);
}

void TestQuillboxText::everyControlIsVisible()
{
    // Every code point below U+00A0 other than tab and line feed, and every
    // character that reorders or hides text, turns into visible ones.
    for (char32_t c = 0; c < 0xa0; ++c) {
        if (c == u'\t' || c == u'\n' || (c >= 0x20 && c < 0x7f))
            continue;
        const QByteArray bytes = QString::fromUcs4(&c, 1).toUtf8();
        const QString shown = quillbox::visibleText({bytes.constData(), std::size_t(bytes.size())});
        for (const QChar ch : shown)
            QVERIFY2(ch.isPrint() && ch.category() != QChar::Other_Format,
                qPrintable(QString::number(uint(c), 16)));
    }
    for (const char32_t c : {0x202aU, 0x202bU, 0x202cU, 0x202dU, 0x202eU, 0x2066U, 0x2067U, 0x2068U,
             0x2069U, 0x200eU, 0x200fU, 0x061cU})
        QVERIFY(quillbox::isHiddenCharacter(c));
}

void TestQuillboxText::headerLine_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QByteArray>("sender");
    QTest::addColumn<QString>("header");
    QTest::newRow("en_US") << "en_US" << QByteArray("PC01")
                           << QStringLiteral("From PC01 to OFFICE, 12/8/26 8:24 PM");
    QTest::newRow("de_DE") << "de_DE" << QByteArray("PC01")
                           << QStringLiteral("From PC01 to OFFICE, 08.12.26 20:24");
    QTest::newRow("a sender with a line break")
        << "de_DE" << QByteArray("a\nFrom boss")
        << QStringLiteral("From a\u240aFrom boss to OFFICE, 08.12.26 20:24");
}

void TestQuillboxText::headerLine()
{
    QFETCH(QString, locale);
    QFETCH(QByteArray, sender);
    QFETCH(QString, header);
    const record::Record message {sender.toStdString(), "OFFICE", 1796761440, "x"};
    QCOMPARE(quillbox::headerLine(message, QLocale(locale)), header);
}

void TestQuillboxText::setupProblem_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<bool>("spool");
    QTest::addColumn<QString>("problem");

    const QString deliver = QStringLiteral("/usr/libexec/quillon/quillbox-deliver %s '%f' '%L'");
    QTest::newRow("set up") << true << true << deliver << "NT1" << true << QString();
    QTest::newRow("set up through env")
        << true << true
        << "/usr/bin/env QUILLBOX_SPOOL=/srv/q /usr/libexec/quillon/quillbox-deliver %s %f %L"
        << "LANMAN2" << true << QString();
    QTest::newRow("no Samba")
        << false << false << ""
        << "" << true
        << "Messages cannot arrive: Samba is not installed. Fix: sudo apt install samba";
    QTest::newRow("smbd not running")
        << true << false << deliver << "NT1" << true
        << "Messages cannot arrive: smbd is not running. Fix: sudo systemctl enable --now smbd";
    const QString noCommand = QStringLiteral(
        "Messages are not handed to Quillbox. Fix: in [global] of /etc/samba/smb.conf, set: "
        "message command = /usr/libexec/quillon/quillbox-deliver %s '%f' '%L'");
    QTest::newRow("no message command") << true << true << ""
                                        << "NT1" << true << noCommand;
    QTest::newRow("another message command") << true << true << "/bin/sh -c 'cat %s; rm %s'"
                                             << "NT1" << true << noCommand;
    QTest::newRow("a name like it") << true << true << "/usr/local/bin/quillbox-deliver-old %s"
                                    << "NT1" << true << noCommand;
    QTest::newRow("SMB1 off") << true << true << deliver << "SMB2_02" << true
                              << "smbd drops every message while SMB1 is off. Fix: in [global] of "
                                 "/etc/samba/smb.conf, set: server min protocol = NT1 (this "
                                 "turns SMB1 on)";
    QTest::newRow("no spool") << true << true << deliver << "NT1" << false
                              << "Messages cannot be kept: the spool /var/spool/quillbox is "
                                 "missing. Fix: sudo systemd-tmpfiles --create quillbox.conf";
}

void TestQuillboxText::setupProblem()
{
    QFETCH(bool, installed);
    QFETCH(bool, running);
    QFETCH(QString, command);
    QFETCH(QString, protocol);
    QFETCH(bool, spool);
    QFETCH(QString, problem);
    quillbox::SetupFacts facts {installed, running, command, protocol, spool};
    QCOMPARE(quillbox::setupProblem(facts, QStringLiteral("/usr/libexec/quillon/quillbox-deliver"),
                 QStringLiteral("/var/spool/quillbox")),
        problem);
}

void TestQuillboxText::namesDeliver_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("names");
    QTest::newRow("packaged") << "/usr/libexec/quillon/quillbox-deliver %s '%f' '%L'" << true;
    QTest::newRow("quoted") << "'/opt/q/quillbox-deliver' %s %f %L" << true;
    QTest::newRow("through env") << "/usr/bin/env A=b /x/quillbox-deliver %s %f %L" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("in an argument") << "/bin/echo quillbox-deliverer" << false;
}

void TestQuillboxText::namesDeliver()
{
    QFETCH(QString, command);
    QFETCH(bool, names);
    QCOMPARE(quillbox::namesDeliver(command), names);
}

void TestQuillboxText::checkAsksTestparm_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("problem");

    // Answers as testparm -s --parameter-name=NAME does: the value on its
    // standard output, chatter on its standard error.
    const QByteArray setUp = "#!/bin/sh\n"
                             "echo 'Load smb config files from /etc/samba/smb.conf' >&2\n"
                             "case \"$2\" in\n"
                             "--parameter-name=message\\ command) echo \"/usr/libexec/quillon/"
                             "quillbox-deliver %s '%f' '%L'\";;\n"
                             "--parameter-name=server\\ min\\ protocol) echo NT1;;\n"
                             "*) exit 1;;\n"
                             "esac\n";
    QTest::newRow("set up") << setUp << true << QString();
    QTest::newRow("smbd not running")
        << setUp << false
        << "Messages cannot arrive: smbd is not running. Fix: sudo systemctl enable --now smbd";
    QTest::newRow("no smb.conf")
        << QByteArray("#!/bin/sh\necho 'Can not load /etc/samba/smb.conf' >&2\nexit 1\n") << true
        << "Messages are not handed to Quillbox. Fix: in [global] of /etc/samba/smb.conf, set: "
           "message command = /usr/libexec/quillon/quillbox-deliver %s '%f' '%L'";
    QTest::newRow("SMB1 off") << QByteArray(setUp).replace("echo NT1", "echo SMB2_02") << true
                              << "smbd drops every message while SMB1 is off. Fix: in [global] of "
                                 "/etc/samba/smb.conf, set: server min protocol = NT1 (this "
                                 "turns SMB1 on)";
    QTest::newRow("testparm missing")
        << QByteArray() << true
        << "Messages cannot arrive: Samba is not installed. Fix: sudo apt install samba";
}

void TestQuillboxText::checkAsksTestparm()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, running);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    const QString testparm = dir.filePath(QStringLiteral("testparm"));
    if (!script.isEmpty()) {
        QFile file(testparm);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(script);
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    }
    quillbox::SetupCheck::Probes probes;
    probes.smbdRunning = [running] { return running; };
    probes.testparm = testparm;
    probes.spoolExists = [] { return true; };
    quillbox::SetupCheck check(probes, QStringLiteral("/usr/libexec/quillon/quillbox-deliver"),
        QStringLiteral("/var/spool/quillbox"));
    QSignalSpy finished(&check, &quillbox::SetupCheck::finished);
    check.start();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toString(), problem);
    QVERIFY(!check.running());
}

QTEST_GUILESS_MAIN(TestQuillboxText)
#include "tst_quillboxtext.moc"
