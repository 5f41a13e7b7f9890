#include "app/DriverMemory.h"
#include "app/MainWindow.h"
#include "app/ProgramStart.h"
#include "app/QuitRequests.h"

#include <QApplication>

int main(int argc, char** argv)
{
    if (const int status = settleBeforeQt(argc, argv); status >= 0)
        return status;
    keepFreedMemoryMapped();
    QApplication application(argc, argv);
    // Signals and a window destroyed from outside close it as its close button does.
    QuitRequests quitRequests;
    int status = 0;
    {
        MainWindow window(nullptr);
        window.show();
        status = application.exec();
    }
    return status;
}
