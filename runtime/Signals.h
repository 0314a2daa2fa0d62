// The signals that end a program from outside (the terminal closed, Ctrl+C, a polite
// kill) become the same quit request as the window's close button, so the shutdown runs:
// the unpacking folders are removed and the error log is completed. A write to a closed
// pipe is an error of that write, not the end of the program.
#pragma once

// Ignores SIGPIPE and turns SIGHUP, SIGINT and SIGTERM into a quit request, except those
// the program was started with ignored (nohup). A second Ctrl+C ends a program that did
// not get to its shutdown at once.
void KvInstallSignalHandlers();

// True once SIGHUP, SIGINT or SIGTERM has arrived; the window's message pump then ends
// the program through the normal shutdown.
bool KvQuitSignalled();
