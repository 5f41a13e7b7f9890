#include "app/DriverMemory.h"
#include "app/MainWindow.h"

#include <QApplication>

int main(int argc, char** argv)
{
    keepFreedMemoryMapped();
    QApplication application(argc, argv);
    int status = 0;
    {
        MainWindow window(nullptr);
        window.show();
        status = application.exec();
    }
    return status;
}
