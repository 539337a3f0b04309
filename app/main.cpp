// Talvo: joins text files. Each command-line argument is one input file.
#include <QStringList>
#include <csignal>

#include "TalvoApplication.h"
#include "TForm1.h"

int main(int argc, char **argv)
{
    // A save that runs into the file-size limit must fail and be reported, not kill the program.
    std::signal(SIGXFSZ, SIG_IGN);
    TalvoApplication app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    int rc;
    {
        TForm1 form(QCoreApplication::applicationFilePath(), arguments);
        form.show();
        rc = app.exec();
    }
    return rc;
}
