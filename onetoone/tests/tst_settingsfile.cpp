#include "settingsfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

// Through the real platform chores, as the window reads the file.
QString readFirstField(const QString &path)
{
    forms::System system;
    return QString::fromStdU16String(quillpost::readFirstField(system, path.toStdU16String()));
}

QString settingsFilePath()
{
    forms::System system;
    return QString::fromStdU16String(quillpost::settingsFilePath(system));
}

// The settings folder is named after the running program file: here, this
// test's.
QString programName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void firstField_data();
    void firstField();

    void readFile_data();
    void readFile();
    void readMissingFile();
    void readFolder();
    void readUnreadableFile();

    void pathInConfigFolder();
    void pathWithoutXdgConfigHome();

private:
    QString writeFile(const QByteArray &bytes);

    QTemporaryDir tempDir;
};

void TestSettingsFile::initTestCase()
{
    QVERIFY(tempDir.isValid());
    QCoreApplication::setApplicationName(QStringLiteral("Quillpost"));
}

void TestSettingsFile::firstField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("two fields") << "PC12,PC13"
                                << "PC12";
    QTest::newRow("two fields, CRLF") << "PC12,PC13\r\n"
                                      << "PC12";
    QTest::newRow("quoted with comma") << "\"PC 12, upstairs\"\r\n"
                                       << "PC 12, upstairs";
    QTest::newRow("quoted, more fields") << "\"PC 12, upstairs\",PC13\r\n"
                                         << "PC 12, upstairs";
    QTest::newRow("empty text") << ""
                                << "";
    QTest::newRow("single line") << "OFFICE-PC"
                                 << "OFFICE-PC";
    QTest::newRow("single line, LF") << "OFFICE-PC\n"
                                     << "OFFICE-PC";
    QTest::newRow("single line, CR") << "OFFICE-PC\rOTHER"
                                     << "OFFICE-PC";
    QTest::newRow("second line ignored") << "OFFICE-PC\r\nSECOND-PC\r\n"
                                         << "OFFICE-PC";
    QTest::newRow("leading spaces") << "   OFFICE-PC"
                                    << "OFFICE-PC";
    QTest::newRow("leading blank lines") << "\r\n\r\n   \r\n  OFFICE-PC,PC13\r\n"
                                         << "OFFICE-PC";
    QTest::newRow("leading tabs") << "\t \tOFFICE-PC"
                                  << "OFFICE-PC";
    QTest::newRow("inner spaces kept") << "PC 12 upstairs\r\n"
                                       << "PC 12 upstairs";
    QTest::newRow("trailing spaces kept") << "PC12   ,PC13"
                                          << "PC12   ";
    QTest::newRow("trailing spaces before line end") << "PC12  \r\n"
                                                     << "PC12  ";
    QTest::newRow("empty first field") << ",PC13\r\n"
                                       << "";
    QTest::newRow("spaces, then empty first field") << "   ,PC13"
                                                    << "";
    QTest::newRow("empty quoted field") << "\"\",PC13"
                                        << "";
    QTest::newRow("only blanks") << "  \r\n\t\r\n  "
                                 << "";
    QTest::newRow("spaces inside quotes kept") << "  \"  PC12 \"  "
                                               << "  PC12 ";
    QTest::newRow("text after closing quote dropped") << "\"PC12\"xyz,abc"
                                                      << "PC12";
    QTest::newRow("quote inside unquoted field") << "PC\"12,PC13"
                                                 << "PC\"12";
    QTest::newRow("unbalanced quote") << "\"PC12"
                                      << "PC12";
    QTest::newRow("unbalanced quote, CRLF") << "\"PC 12, upstairs\r\n"
                                            << "PC 12, upstairs";
    QTest::newRow("unbalanced quote, LF") << "\"PC 12, upstairs\n"
                                          << "PC 12, upstairs";
    QTest::newRow("unbalanced quote runs over lines") << "\"PC12\r\nPC13\r\n"
                                                      << "PC12\r\nPC13";
    QTest::newRow("quoted field over two lines") << "\"PC12\r\nPC13\",X"
                                                 << "PC12\r\nPC13";
    QTest::newRow("letters outside ASCII")
        << QStringLiteral("BJ\u00d8RN-PC,X") << QStringLiteral("BJ\u00d8RN-PC");
}

void TestSettingsFile::firstField()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdU16String(quillpost::firstField(text.toStdU16String())), expected);
}

QString TestSettingsFile::writeFile(const QByteArray &bytes)
{
    static int count = 0;
    const QString path = tempDir.filePath(QStringLiteral("settings%1.ini").arg(++count));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

void TestSettingsFile::readFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("CRLF file") << QByteArray("PC12,PC13\r\nPC14\r\n") << "PC12";
    QTest::newRow("LF file") << QByteArray("PC12,PC13\nPC14\n") << "PC12";
    QTest::newRow("quoted") << QByteArray("\"PC 12, upstairs\"\r\n") << "PC 12, upstairs";
    QTest::newRow("empty file") << QByteArray() << "";
    QTest::newRow("blank lines only") << QByteArray("\r\n\r\n") << "";
    QTest::newRow("leading blank lines") << QByteArray("\r\n  \r\nOFFICE-PC\r\n") << "OFFICE-PC";
    QTest::newRow("no final line break") << QByteArray("OFFICE-PC") << "OFFICE-PC";
    // Text files are UTF-8 on Unix systems.
    QTest::newRow("8-bit text") << QByteArray("BJ\xc3\x98RN-PC,X\r\n")
                                << QStringLiteral("BJ\u00d8RN-PC");
}

void TestSettingsFile::readFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const QString path = writeFile(bytes);
    QVERIFY(!path.isEmpty());
    QCOMPARE(readFirstField(path), expected);
}

void TestSettingsFile::readMissingFile()
{
    QCOMPARE(readFirstField(tempDir.filePath(QStringLiteral("missing.ini"))), QString());
}

void TestSettingsFile::readFolder()
{
    const QString folder = tempDir.filePath(QStringLiteral("folder.ini"));
    QVERIFY(QDir().mkpath(folder));
    QCOMPARE(readFirstField(folder), QString());
}

void TestSettingsFile::readUnreadableFile()
{
    if (::geteuid() == 0)
        QSKIP("root reads files whatever their permission bits say");
    const QString path = writeFile("PC12\r\n");
    QVERIFY(!path.isEmpty());
    QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    QCOMPARE(readFirstField(path), QString());
}

void TestSettingsFile::pathInConfigFolder()
{
    const QByteArray oldValue = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", tempDir.path().toLocal8Bit());
    const QString path = settingsFilePath();
    qputenv("XDG_CONFIG_HOME", oldValue);
    QCOMPARE(path, tempDir.path() + u'/' + programName() + QStringLiteral("/Quillpost.ini"));
}

void TestSettingsFile::pathWithoutXdgConfigHome()
{
    const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
    const QByteArray oldHome = qgetenv("HOME");
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", tempDir.path().toLocal8Bit());
    const QString path = settingsFilePath();
    qputenv("HOME", oldHome);
    if (!oldXdg.isNull())
        qputenv("XDG_CONFIG_HOME", oldXdg);
    QCOMPARE(path,
        tempDir.path() + QStringLiteral("/.config/") + programName()
            + QStringLiteral("/Quillpost.ini"));
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
