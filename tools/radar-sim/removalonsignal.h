#pragma once

#include <QString>

// While an object of this class lives, a SIGINT, SIGTERM or SIGHUP first
// removes the file it names and then ends the process as the signal would
// have. That keeps a half-made file from outliving a program stopped with
// Ctrl-C or by a supervisor, which skips every destructor. One file at a
// time: the process's handlers hold a single path.
class RemovalOnSignal
{
public:
    explicit RemovalOnSignal(const QString &path);
    ~RemovalOnSignal();
    RemovalOnSignal(const RemovalOnSignal &) = delete;
    RemovalOnSignal &operator=(const RemovalOnSignal &) = delete;
};
