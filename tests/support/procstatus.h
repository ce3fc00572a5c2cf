#pragma once

#include <QtGlobal>

// A memory figure from a process's /proc/<pid>/status, in KiB: field is the
// name before the colon ("VmRSS", "VmHWM"). -1 when the process or the field
// is not there.
long processStatusKib(qint64 pid, const char *field);

// The same for this process.
long ownStatusKib(const char *field);

// How many files the process has open (entries of /proc/<pid>/fd); -1 when
// the process is not there.
int openFileCount(qint64 pid);
