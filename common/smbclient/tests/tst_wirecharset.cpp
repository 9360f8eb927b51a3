#include "smbclient/wirecharset.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

std::optional<QByteArray> toWire(const QString &text, const char *charset)
{
    const auto bytes = smbclient::toWire(text.toStdU16String(), charset);
    if (!bytes)
        return std::nullopt;
    return QByteArray::fromStdString(*bytes);
}

QString writeConfig(const QTemporaryDir &dir, const QByteArray &text)
{
    const QString path = dir.filePath(QStringLiteral("smb.conf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return {};
    return path;
}

} // namespace

class TestWireCharset : public QObject
{
    Q_OBJECT
private slots:
    void convertsOrRefuses_data();
    void convertsOrRefuses();
    void decodesWhatItEncodes();
    void readsTheDosCharset_data();
    void readsTheDosCharset();
    void readsTheConfigurationFile_data();
    void readsTheConfigurationFile();
    void readsTheConfigurationOncePerProcess();
};

void TestWireCharset::convertsOrRefuses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("charset");
    QTest::addColumn<bool>("representable");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("ascii") << "Hello, world!" << QByteArray("CP850") << true
                           << QByteArray("Hello, world!");
    QTest::newRow("cp850 letters") << "Grüße, Ærø" << QByteArray("CP850") << true
                                   << QByteArray("Gr\x81\xe1"
                                                 "e, \x92r\x9b");
    QTest::newRow("no-break space") << QStringLiteral("a\u00a0b") << QByteArray("CP850") << true
                                    << QByteArray("a\xff"
                                                  "b");
    QTest::newRow("line feeds stay") << "one\ntwo\n"
                                     << QByteArray("CP850") << true << QByteArray("one\ntwo\n");
    QTest::newRow("empty") << "" << QByteArray("CP850") << true << QByteArray();
    QTest::newRow("euro") << "Preis: 5 €" << QByteArray("CP850") << false << QByteArray();
    QTest::newRow("cjk") << "你好世界" << QByteArray("CP850") << false << QByteArray();
    QTest::newRow("nul") << QStringLiteral("127.0.0.41") + QChar(0) + QStringLiteral("junk")
                         << QByteArray("CP850") << false << QByteArray();
    QTest::newRow("nul alone") << QString(QChar(0)) << QByteArray("CP850") << false << QByteArray();
    QTest::newRow("lone surrogate")
        << QString(QChar(0xd800)) << QByteArray("CP850") << false << QByteArray();
    QTest::newRow("yen in cp850") << "¥" << QByteArray("CP850") << true << QByteArray("\xbe");
    QTest::newRow("yen in cp437") << "¥" << QByteArray("CP437") << true << QByteArray("\x9d");
    QTest::newRow("o slash not in cp437") << "ø" << QByteArray("CP437") << false << QByteArray();
    QTest::newRow("lower-case set name")
        << "é" << QByteArray("cp437") << true << QByteArray("\x82");
    QTest::newRow("ascii set") << "é" << QByteArray("ASCII") << false << QByteArray();
    // CP932 has no "¬"; iconv sends the bytes of the full-width "￢" for it
    // without calling that an approximation.
    QTest::newRow("not sign in cp932") << "¬" << QByteArray("CP932") << false << QByteArray();
    QTest::newRow("full-width not sign in cp932")
        << "￢" << QByteArray("CP932") << true << QByteArray("\x81\xca");
    QTest::newRow("unknown set") << "a" << QByteArray("NO-SUCH-SET") << false << QByteArray();
}

void TestWireCharset::convertsOrRefuses()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, charset);
    QFETCH(bool, representable);
    QFETCH(QByteArray, bytes);

    const auto converted = toWire(text, charset.constData());
    QCOMPARE(converted.has_value(), representable);
    if (representable)
        QCOMPARE(*converted, bytes);
}

void TestWireCharset::decodesWhatItEncodes()
{
    const auto text = smbclient::fromWire("Gr\x81\xe1"
                                          "e\n\x9d",
        "CP437");
    QVERIFY(text);
    QCOMPARE(QString::fromStdU16String(*text), QStringLiteral("Grüße\n¥"));
    QVERIFY(!smbclient::fromWire("\xc3", "UTF-8"));
}

void TestWireCharset::readsTheDosCharset_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QString>("charset");

    QTest::newRow("empty file") << QByteArray() << "CP850";
    QTest::newRow("global without it") << QByteArray("[global]\n\tworkgroup = OFFICE\n") << "CP850";
    QTest::newRow("no global section") << QByteArray("[share]\n\tpath = /srv\n") << "CP850";
    QTest::newRow("plain") << QByteArray("[global]\n\tdos charset = CP437\n") << "CP437";
    QTest::newRow("another section names it")
        << QByteArray("[global]\nworkgroup = X\n[share]\ndos charset = CP437\n") << "CP850";
    QTest::newRow("global again after a share")
        << QByteArray("[share]\npath = /srv\n[global]\ndos charset = CP437\n") << "CP437";
    QTest::newRow("before the first section")
        << QByteArray("dos charset = CP437\n[homes]\n") << "CP437";
    QTest::newRow("odd case and blanks")
        << QByteArray("[ GLOBAL ]\r\n \t DOS   Charset\t=  cp437  \r\n") << "cp437";
    QTest::newRow("name without blanks") << QByteArray("[Global]\ndoscharset=CP437\n") << "CP437";
    QTest::newRow("globals") << QByteArray("[globals]\ndos charset = CP437\n") << "CP437";
    QTest::newRow("commented with #") << QByteArray("[global]\n# dos charset = CP437\n") << "CP850";
    QTest::newRow("commented with ;")
        << QByteArray("[global]\n   ; dos charset = CP437\n") << "CP850";
    QTest::newRow("no comment after the value")
        << QByteArray("[global]\ndos charset = CP437 ; the receivers' set\n")
        << "CP437 ; the receivers' set";
    QTest::newRow("continued lines")
        << QByteArray("[global]\ndos \\\ncharset = \\\nCP437\n") << "CP437";
    QTest::newRow("a comment does not continue")
        << QByteArray("[global]\n# note \\\ndos charset = CP437\n") << "CP437";
    QTest::newRow("the last one counts")
        << QByteArray("[global]\ndos charset = CP437\n[x]\n[global]\ndos charset = CP852\n")
        << "CP852";
    QTest::newRow("empty value") << QByteArray("[global]\ndos charset =\n") << "CP850";
    QTest::newRow("utf-8 is refused") << QByteArray("[global]\ndos charset = UTF-8\n") << "CP850";
    QTest::newRow("utf8 is refused") << QByteArray("[global]\ndos charset = utf8\n") << "CP850";
    QTest::newRow("a name alone is skipped")
        << QByteArray("[global]\nbogus line\ndos charset = CP437\n") << "CP437";
    QTest::newRow("reading stops at a broken section")
        << QByteArray("[global]\ndos charset = CP437\n[broken\ndos charset = CP852\n") << "CP437";
    QTest::newRow("reading stops at a value without a name")
        << QByteArray("[global]\ndos charset = CP437\n= x\ndos charset = CP852\n") << "CP437";
}

void TestWireCharset::readsTheDosCharset()
{
    QFETCH(QByteArray, config);
    QFETCH(QString, charset);
    QCOMPARE(QString::fromStdString(smbclient::dosCharsetIn(config.toStdString())), charset);
}

void TestWireCharset::readsTheConfigurationFile_data()
{
    QTest::addColumn<QByteArray>("config"); // empty: no file
    QTest::addColumn<QString>("charset");

    QTest::newRow("absent file") << QByteArray() << "CP850";
    QTest::newRow("names a set") << QByteArray("[global]\ndos charset = CP437\n") << "CP437";
    // smbclient falls back to ASCII for a set that iconv does not know.
    QTest::newRow("unknown set") << QByteArray("[global]\ndos charset = NO-SUCH-SET\n") << "ASCII";
    QTest::newRow("comment after the set")
        << QByteArray("[global]\ndos charset = CP437 ; the receivers' set\n") << "ASCII";
    // iconv, in smbclient as here, reads this name as CP437; smbclient is
    // told the same name.
    QTest::newRow("quoted set") << QByteArray("[global]\ndos charset = \"CP437\"\n") << "\"CP437\"";
}

void TestWireCharset::readsTheConfigurationFile()
{
    QFETCH(QByteArray, config);
    QFETCH(QString, charset);
    QTemporaryDir dir;
    const QString path
        = config.isEmpty() ? dir.filePath(QStringLiteral("none.conf")) : writeConfig(dir, config);
    QVERIFY(!path.isEmpty());
    QCOMPARE(
        QString::fromStdString(smbclient::wireCharsetOf(QFile::encodeName(path).toStdString())),
        charset);
}

void TestWireCharset::readsTheConfigurationOncePerProcess()
{
    // The test run's configuration names no set.
    QCOMPARE(QString::fromStdString(smbclient::wireCharset()), QStringLiteral("CP850"));
    QTemporaryDir dir;
    const QByteArray old = qgetenv("SMB_CONF_PATH");
    qputenv("SMB_CONF_PATH", QFile::encodeName(writeConfig(dir, "dos charset = CP437\n")));
    const std::string charset = smbclient::wireCharset();
    qputenv("SMB_CONF_PATH", old);
    QCOMPARE(QString::fromStdString(charset), QStringLiteral("CP850"));
}

QTEST_GUILESS_MAIN(TestWireCharset)
#include "tst_wirecharset.moc"
