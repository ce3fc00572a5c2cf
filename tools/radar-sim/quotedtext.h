#pragma once

#include <QByteArray>
#include <QString>

// Text from a file, for a message: in single quotes, whole, whatever it
// holds. Printable characters (UTF-8 included) stay as they are; a quote or
// a backslash gets a backslash before it; every other byte (a zero, a control
// character, a byte that is not UTF-8) is written \xHH. So a binary file given
// as text shows what it starts with, and the message never ends early.
QString quotedText(const QByteArray &bytes);
