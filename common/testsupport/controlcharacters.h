// Every C0 control character and DEL, as a message typed into kvoll's memo,
// and the bytes smbclient is handed for it: the memo takes a CR for a line
// break, as it takes an LF; the rest travel as typed, one byte each in the
// code page, and the send adds one LF.
#pragma once

#include <QByteArray>
#include <QString>

struct ControlCharacters
{
    QString typed;
    QByteArray sent;
};

inline ControlCharacters everyControlCharacter()
{
    ControlCharacters text;
    for (char16_t c = 1; c < 0x20; ++c) {
        text.typed += QChar(c);
        text.sent += c == u'\r' ? '\n' : char(c);
    }
    text.typed += QChar(0x7f);
    text.sent += "\x7f\n";
    return text;
}
