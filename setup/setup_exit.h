// setup.exe's exit statuses, for a run started with any argument. Without
// one the program ends with 0 whatever happened, as it always has.
#ifndef SETUP_SETUP_EXIT_H
#define SETUP_SETUP_EXIT_H

enum SETUP_EXIT {
    SETUP_EXIT_INSTALLED = 0,   // everything installed
    SETUP_EXIT_DESCRIPTION = 1, // setup.ini missing or refused, or the install directory refused
    SETUP_EXIT_FAILED = 2,      // stopped part-way (or cancelled); the setup log names what was made
    SETUP_EXIT_BAD_ARGS = 3,    // the command line could not be used; nothing was read or made
    SETUP_EXIT_DAMAGED = 4      // the package appended to setup.exe is damaged; nothing was made
};

#endif
