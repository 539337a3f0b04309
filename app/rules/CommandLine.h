#pragma once
// The command line: every argument after the program name is an input path, whatever it looks
// like ("-reverse", "-style", ...), kept as the file system's bytes. Qt sees none of them.
#include <QByteArrayList>

struct CommandLine {
    int qtArgc = 1;          // what the application object is given: the program name only
    QByteArrayList inputs;   // argv[1] .. argv[argc - 1], bytes unchanged
};

CommandLine SplitCommandLine(int argc, const char *const *argv);
