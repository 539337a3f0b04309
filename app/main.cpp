// Talvo: joins text files. Each command-line argument is one input file.
#include <csignal>

#include "app/rules/CommandLine.h"
#include "app/TalvoApplication.h"
#include "app/TForm1.h"
#include "platform/ProgramFile.h"

int main(int argc, char **argv)
{
    // A save that runs into the file-size limit must fail and be reported, not kill the program.
    std::signal(SIGXFSZ, SIG_IGN);
    CommandLine line = SplitCommandLine(argc, argv);
    // Qt is given the program's name alone, and as "talvo": X takes the windows' instance name
    // from it, and the desktop groups them under the menu entry by that name whatever the
    // executable is called.
    char name[] = "talvo";
    char *qtArgv[] = {name, nullptr};
    TalvoApplication app(line.qtArgc, qtArgv);
    int rc;
    {
        TForm1 form(RunningProgramFile(), line.inputs);
        form.show();
        rc = app.exec();
    }
    return rc;
}
