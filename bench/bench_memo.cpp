// kvoll's message box and its capacity: what a keystroke costs at the end of
// one unbroken line (the worst case of Qt's line layout) at lengths up to
// the box's capacity and beyond it (in a plain editor laid out the same way,
// since kvoll's box takes no more), and what pasting a line of a megabyte
// into kvoll's box costs.  Baselines, measured in the same run: a keystroke
// after "Hello", a paste of 100 characters.  Offscreen platform.
#include "application.h"
#include "mainwindow.h"
#include "messagememo.h"
#include "stats.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int rounds = 15;

// A plain editor laid out as kvoll's box is, without its capacity.
std::unique_ptr<QPlainTextEdit> plainEditor()
{
    auto editor = std::make_unique<QPlainTextEdit>();
    editor->setGeometry(16, 96, 257, 225);
    editor->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    editor->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    editor->show();
    if (!QTest::qWaitForWindowExposed(editor.get()))
        std::fprintf(stderr, "the editor was not shown\n");
    return editor;
}

// Median time of one key typed at the end and the repaint that shows it.
double keystroke(QPlainTextEdit *editor, const QString &text)
{
    editor->setPlainText(text);
    editor->moveCursor(QTextCursor::End);
    editor->repaint();
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        QTest::keyClick(editor, Qt::Key_B);
        editor->repaint();
        times.push_back(millisecondsSince(start));
        QTest::keyClick(editor, Qt::Key_Backspace);
        editor->repaint();
    }
    return median(times);
}

// Median time of a paste through the clipboard into an empty box, shown.
double paste(QPlainTextEdit *editor, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        editor->clear();
        editor->repaint();
        const auto start = std::chrono::steady_clock::now();
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        editor->repaint();
        times.push_back(millisecondsSince(start));
    }
    return median(times);
}

} // namespace

int main(int argc, char **argv)
{
    std::setlocale(LC_ALL, "C.UTF-8");
    QTemporaryDir home;
    setenv("HOME", home.path().toLocal8Bit().constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    KvollApplication app(argc, argv);
    TfrmMain window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "kvoll's window was not shown\n");
    QPlainTextEdit *memo = window.txtMessage;

    const double baseline = keystroke(memo, QStringLiteral("Hello"));
    std::printf("memo, one key typed at the end of one unbroken line (median of %d), against a "
                "key after \"Hello\" (%.2f ms):\n",
        rounds, baseline);
    for (const qsizetype length : {qsizetype(1598), qsizetype(4096), MessageMemo::Capacity}) {
        const double time = keystroke(memo, QString(length - 1, u'a'));
        std::printf("  %6lld characters in kvoll's box: %7.2f ms, ratio %6.1f%s\n",
            static_cast<long long>(length), time, time / baseline,
            length == MessageMemo::Capacity ? " (its capacity)" : "");
    }
    const auto plain = plainEditor();
    for (const qsizetype length : {qsizetype(16384), qsizetype(32768)}) {
        const double time = keystroke(plain.get(), QString(length - 1, u'a'));
        std::printf("  %6lld characters, a plain editor: %7.2f ms, ratio %6.1f\n",
            static_cast<long long>(length), time, time / baseline);
    }

    const double small = paste(memo, QString(100, u'a'));
    const double megabyte = paste(memo, QString(1024 * 1024, u'a'));
    std::printf("paste into kvoll's box (median of 5): a line of 1 MiB %.1f ms (the box keeps "
                "%lld characters), 100 characters %.2f ms, ratio %.1f\n",
        megabyte, static_cast<long long>(memo->document()->characterCount() - 1), small,
        megabyte / small);
    return 0;
}
