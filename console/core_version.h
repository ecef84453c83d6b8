// The driver core's version line, as the console and the one-shot mode print it.
#ifndef TKVCON_CORE_VERSION_H
#define TKVCON_CORE_VERSION_H

// Asks the library for the four numbers and, when it answers, prints them as
// "a.b.c.d" and a line feed.  Returns the library's result.
int printCoreVersion();

#endif
