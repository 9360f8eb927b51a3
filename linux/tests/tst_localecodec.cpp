#include "localecodec.h"

#include <QTest>

#include <clocale>

using namespace kvoll;

class TestLocaleCodec : public QObject
{
    Q_OBJECT
private slots:
    void cleanupTestCase() { std::setlocale(LC_ALL, "C.UTF-8"); }
    void toLocale_data();
    void toLocale();
    void fromLocale_data();
    void fromLocale();
};

void TestLocaleCodec::toLocale_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("utf-8 ascii") << QByteArray("C.UTF-8") << QStringLiteral("Hi") << true
                                 << QByteArray("Hi");
    QTest::newRow("utf-8 letters") << QByteArray("C.UTF-8") << QStringLiteral("Ü€") << true
                                   << QByteArray("\xc3\x9c\xe2\x82\xac");
    QTest::newRow("ascii locale, ascii text")
        << QByteArray("C") << QStringLiteral("a\nb") << true << QByteArray("a\nb");
    QTest::newRow("ascii locale, letter it lacks")
        << QByteArray("C") << QStringLiteral("Köln") << false << QByteArray();
    QTest::newRow("empty") << QByteArray("C") << QString() << true << QByteArray();
    QTest::newRow("long text grows the buffer")
        << QByteArray("C.UTF-8") << QString(5000, QChar(0x20AC)) << true
        << QByteArray("\xe2\x82\xac").repeated(5000);
}

void TestLocaleCodec::toLocale()
{
    QFETCH(QByteArray, locale);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QByteArray, bytes);
    QVERIFY(std::setlocale(LC_ALL, locale.constData()));

    const auto converted = kvoll::toLocale(text);
    QCOMPARE(converted.has_value(), ok);
    if (ok)
        QCOMPARE(*converted, bytes);
}

void TestLocaleCodec::fromLocale_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("text");

    QTest::newRow("utf-8") << QByteArray("C.UTF-8") << QByteArray("K\xc3\xb6ln") << true
                           << QStringLiteral("Köln");
    QTest::newRow("invalid utf-8")
        << QByteArray("C.UTF-8") << QByteArray("a\xff") << false << QString();
    QTest::newRow("cut utf-8") << QByteArray("C.UTF-8") << QByteArray("a\xc3") << false
                               << QString();
    QTest::newRow("ascii locale, high byte")
        << QByteArray("C") << QByteArray("\xe9") << false << QString();
}

void TestLocaleCodec::fromLocale()
{
    QFETCH(QByteArray, locale);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    QFETCH(QString, text);
    QVERIFY(std::setlocale(LC_ALL, locale.constData()));

    const auto converted = kvoll::fromLocale(bytes);
    QCOMPARE(converted.has_value(), ok);
    if (ok)
        QCOMPARE(*converted, text);
}

QTEST_GUILESS_MAIN(TestLocaleCodec)
#include "tst_localecodec.moc"
