// Texts that must arrive exactly as typed, or not be sent at all, with the
// code pages that can carry them.  Each runs in a locale whose character set
// is ASCII and in a UTF-8 one: neither may change what is sent.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTest>

struct CharsetCase
{
    const char *name;
    QString text;
    QList<QByteArray> heldBy; // the code pages that hold every character
};

inline QList<CharsetCase> charsetCases()
{
    const QList<QByteArray> both {"CP850", "CP437"};
    return {
        {"umlauts", QStringLiteral("Grüße"), both},
        // smbclient reads its input in pieces of 127 bytes; in UTF-8 this
        // letter would straddle the first boundary.
        {"letter across a piece boundary", QString(126, u'a') + QStringLiteral("étail"), both},
        // Both hold it, at different bytes: a sender that ignores the
        // configured set garbles it.
        {"yen", QStringLiteral("¥ 500"), both},
        {"o slash", QStringLiteral("Smørrebrød"), {"CP850"}},
        // Their bytes (C3 A9) happen to be UTF-8 for "é": a smbclient that
        // reads its input as UTF-8 would turn them into that letter.
        {"bytes that read as UTF-8 in CP850", QStringLiteral("├®"), {"CP850"}},
        {"bytes that read as UTF-8 in CP437", QStringLiteral("├⌐"), {"CP437"}},
        {"euro", QStringLiteral("Preis: 5 €"), {}},
        {"cjk", QStringLiteral("你好世界"), {}},
    };
}

// Columns locale (QByteArray), text (QString), held (bool) for the code page
// the senders use.
inline void addCharsetRows(const QByteArray &codePage)
{
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("held");
    for (const QByteArray locale : {"C", "C.UTF-8"}) {
        for (const CharsetCase &c : charsetCases()) {
            QTest::addRow("%s, %s", c.name, locale.constData())
                << locale << c.text << c.heldBy.contains(codePage);
        }
    }
}
