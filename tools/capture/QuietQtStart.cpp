#include "QuietQtStart.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>

namespace {

QtMessageHandler nextHandler = nullptr;

void handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (nextHandler)
        nextHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

void dropQtRuntimeDirWarning()
{
    nextHandler = qInstallMessageHandler(handle);
}
