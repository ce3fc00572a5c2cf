#include "clientmessage.h"

#include <QString>

#include <iostream>

namespace
{
// From the build, where the program gets its name.
const char kProgramName[] = RADAR_CLIENT_PROGRAM;
} // namespace

void printClientMessage(const QString &text)
{
    std::cerr << kProgramName << ": " << text.toLocal8Bit().constData() << std::endl;
}
