#pragma once

#include <QByteArray>
#include <QStringList>

#include <vector>

// The command line that the toolkit's application object is given: the
// program name and the toolkit's own arguments, as an argument count and a
// null-terminated vector. The application object keeps both, so this must
// outlive it.
class ToolkitArguments
{
public:
    ToolkitArguments(char *programName, const QStringList &arguments);
    ToolkitArguments(const ToolkitArguments &) = delete;
    ToolkitArguments &operator=(const ToolkitArguments &) = delete;

    int &count() { return argumentCount; }
    char **vector() { return pointers.data(); }

private:
    std::vector<QByteArray> storage;
    std::vector<char *> pointers;
    int argumentCount;
};
