// ox8cloud: the self-hostable account, cloud-sync and version service that
// speaks the program's /v1 API. See server/API.md.

#include "server/ox8cloud.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    ox8cloud::blockStopSignals();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ox8cloud"));
    return ox8cloud::runOx8cloud(QCoreApplication::arguments().mid(1));
}
