#include "app/rules/CommandLine.h"

CommandLine SplitCommandLine(int argc, const char *const *argv)
{
    CommandLine line;
    line.qtArgc = argc > 0 ? 1 : 0;
    for (int i = 1; i < argc; ++i)
        line.inputs.append(QByteArray(argv[i]));
    return line;
}
