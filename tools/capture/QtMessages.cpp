#include "QtMessages.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>

namespace {

void printSevereMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "umbrafen-capture: %s\n", qPrintable(message.simplified()));
}

} // namespace

void routeQtMessages()
{
    qInstallMessageHandler(printSevereMessages);
}
