#pragma once

class QString;

// Writes text as one line on standard error after the client's name, as in
// "radar-client: cannot read the texture ...", so that a journal or a
// supervisor's log tells whose line it is and what it is about.
void printClientMessage(const QString &text);
