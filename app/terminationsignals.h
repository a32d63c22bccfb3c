// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// SIGTERM, SIGINT and SIGHUP (a logout, a shutdown, Ctrl+C in a terminal,
// a closed terminal) end the event loop like the exit command, without its
// questions, so what follows app.exec() still runs: the session is kept
// where the user was instead of where the last timed write left it.
void quitOnTerminationSignals();
