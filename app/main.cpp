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
    TalvoApplication app(line.qtArgc, argv);
    int rc;
    {
        TForm1 form(RunningProgramFile(), line.inputs);
        form.show();
        rc = app.exec();
    }
    return rc;
}
