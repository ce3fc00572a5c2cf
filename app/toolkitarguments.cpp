#include "toolkitarguments.h"

ToolkitArguments::ToolkitArguments(char *programName, const QStringList &arguments)
{
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    pointers.push_back(programName);
    for (QByteArray &argument : storage)
        pointers.push_back(argument.data());
    argumentCount = int(pointers.size());
    pointers.push_back(nullptr);
}
