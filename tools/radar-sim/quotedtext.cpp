#include "quotedtext.h"

#include <QList>
#include <QVector>

namespace
{

const QChar kQuote = QLatin1Char('\'');
const QChar kBackslash = QLatin1Char('\\');
constexpr uchar kFirstPrintableAscii = 0x20;
constexpr uchar kLastPrintableAscii = 0x7e;
constexpr int kHexBase = 16;
constexpr int kHexDigits = 2;

QString escaped(uchar byte)
{
    return QStringLiteral("\\x%1").arg(byte, kHexDigits, kHexBase, QLatin1Char('0'));
}

// The bytes that a UTF-8 sequence starting with lead claims, or 0 for a byte
// that cannot start one.
int claimedLength(uchar lead)
{
    if (lead >= 0xc2 && lead <= 0xdf)
        return 2;
    if (lead >= 0xe0 && lead <= 0xef)
        return 3;
    if (lead >= 0xf0 && lead <= 0xf4)
        return 4;
    return 0;
}

// The printable character that bytes holds as a whole, UTF-8 encoded, or an
// empty string.
QString printableCharacter(const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes);
    const auto codePoints = text.toUcs4();
    if (codePoints.size() != 1 || text.toUtf8() != bytes || !QChar::isPrint(codePoints.front()))
        return QString();
    return text;
}

// Appends what bytes[at] begins to quoted; returns how many bytes it took.
int appendNext(const QByteArray &bytes, int at, QString &quoted)
{
    const auto byte = uchar(bytes[at]);
    if (byte >= kFirstPrintableAscii && byte <= kLastPrintableAscii) {
        const QChar character = QLatin1Char(char(byte));
        if (character == kQuote || character == kBackslash)
            quoted += kBackslash;
        quoted += character;
        return 1;
    }
    const int length = claimedLength(byte);
    const QString character = length > 0 ? printableCharacter(bytes.mid(at, length)) : QString();
    if (character.isEmpty()) {
        quoted += escaped(byte);
        return 1;
    }
    quoted += character;
    return length;
}

} // namespace

QString quotedText(const QByteArray &bytes)
{
    QString quoted(kQuote);
    for (int at = 0; at < bytes.size();)
        at += appendNext(bytes, at, quoted);
    return quoted + kQuote;
}
