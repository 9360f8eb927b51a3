#include "messagetext.h"

#include <QPlainTextEdit>
#include <QTest>
#include <QTextDocument>

using quillon::messageFromEditor;

class TestMessageText : public QObject
{
    Q_OBJECT

private slots:
    void fromEditor_data();
    void fromEditor();
    void fittingPart_data();
    void fittingPart();
    void fromRealEditor();
};

void TestMessageText::fromEditor_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("lineBreak");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << ""
                           << "\n"
                           << "";
    QTest::newRow("plain") << "Hello"
                           << "\n"
                           << "Hello";
    QTest::newRow("spaces kept") << "  a  "
                                 << "\n"
                                 << "  a  ";
    QTest::newRow("paragraphs, LF") << QStringLiteral("one\u2029two") << "\n"
                                    << "one\ntwo";
    QTest::newRow("paragraphs, CRLF") << QStringLiteral("one\u2029two") << "\r\n"
                                      << "one\r\ntwo";
    QTest::newRow("line separator") << QStringLiteral("one\u2028two") << "\r\n"
                                    << "one\r\ntwo";
    QTest::newRow("empty lines kept") << QStringLiteral("\u2029\u2029x\u2029") << "\n"
                                      << "\n\nx\n";
    QTest::newRow("no-break space kept") << QStringLiteral("a\u00a0b") << "\n"
                                         << QStringLiteral("a\u00a0b");
    QTest::newRow("tab kept") << "a\tb"
                              << "\n"
                              << "a\tb";
}

void TestMessageText::fromEditor()
{
    QFETCH(QString, raw);
    QFETCH(QString, lineBreak);
    QFETCH(QString, expected);
    QCOMPARE(messageFromEditor(raw, lineBreak), expected);
}

void TestMessageText::fittingPart_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("held");
    QTest::addColumn<int>("replaced");
    QTest::addColumn<QString>("expected");

    // The limit is 10 throughout.
    QTest::newRow("empty editor, fits") << "abcdefghij" << 0 << 0 << "abcdefghij";
    QTest::newRow("empty editor, one too many") << "abcdefghijk" << 0 << 0 << "abcdefghij";
    QTest::newRow("below the limit") << "abc" << 6 << 0 << "abc";
    QTest::newRow("up to the limit") << "abcd" << 6 << 0 << "abcd";
    QTest::newRow("beyond the limit") << "abcde" << 6 << 0 << "abcd";
    QTest::newRow("full editor") << "a" << 10 << 0 << "";
    QTest::newRow("replacing a selection") << "abcdefghij" << 10 << 10 << "abcdefghij";
    QTest::newRow("replacing part of it") << "abcdef" << 10 << 3 << "abc";
    QTest::newRow("surrogate pair kept whole")
        << QStringLiteral("abc\U0001F600") << 6 << 0 << "abc";
    QTest::newRow("surrogate pair that fits")
        << QStringLiteral("ab\U0001F600") << 6 << 0 << QStringLiteral("ab\U0001F600");
    QTest::newRow("pair alone, no room") << QStringLiteral("\U0001F600") << 9 << 0 << "";
    QTest::newRow("held beyond the limit") << "abc" << 12 << 0 << "";
}

void TestMessageText::fittingPart()
{
    QFETCH(QString, text);
    QFETCH(int, held);
    QFETCH(int, replaced);
    QFETCH(QString, expected);
    QCOMPARE(quillon::fittingPart(text, held, replaced, 10), expected);
}

void TestMessageText::fromRealEditor()
{
    // What the editor hands over: its raw text holds no markers of its own.
    QPlainTextEdit editor;
    editor.setPlainText(QStringLiteral("one\ntwo\u00a0three\n\n"));
    QCOMPARE(messageFromEditor(editor.document()->toRawText(), QStringLiteral("\n")),
        QStringLiteral("one\ntwo\u00a0three\n\n"));
    editor.clear();
    QCOMPARE(messageFromEditor(editor.document()->toRawText(), QStringLiteral("\n")), QString());
}

QTEST_MAIN(TestMessageText)
#include "tst_messagetext.moc"
