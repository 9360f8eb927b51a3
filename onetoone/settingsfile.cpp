#include "settingsfile.h"

#include "platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace quillpost {

namespace {

bool isLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n';
}

} // namespace

QString firstField(const QString &text)
{
    qsizetype pos = 0;
    const qsizetype end = text.size();
    while (pos < end && (text[pos] == u' ' || text[pos] == u'\t' || isLineBreak(text[pos])))
        ++pos;
    if (pos == end)
        return {};

    if (text[pos] == u'"') {
        ++pos;
        const qsizetype close = text.indexOf(u'"', pos);
        if (close >= 0)
            return text.mid(pos, close - pos);
        // No closing quote: the rest of the text is the field, but the line
        // break that ends the file is not part of it.
        qsizetype last = end;
        if (last > pos && text[last - 1] == u'\n')
            --last;
        if (last > pos && text[last - 1] == u'\r')
            --last;
        return text.mid(pos, last - pos);
    }

    qsizetype stop = pos;
    while (stop < end && text[stop] != u',' && !isLineBreak(text[stop]))
        ++stop;
    return text.mid(pos, stop - pos);
}

QString readFirstField(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {};
    return firstField(QString::fromLocal8Bit(bytes));
}

QString settingsFilePath()
{
#ifdef Q_OS_WIN
    const QString folder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
#endif
    return QString::fromStdU16String(AddSlash(folder.toStdU16String()))
        + QStringLiteral("Quillpost.ini");
}

} // namespace quillpost
