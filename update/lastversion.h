#pragma once

#include "cloud/rpaccountmanage.h"

#include <QString>

class QNetworkReply;

// Asks the web service (endpoint 11, "/v1/driver/version") for the newest
// firmware of a model or the newest version of the program and reports the
// answer as (code, message, version, download address, version date). Code
// -1 with a client text when the service could not be reached, answered
// with something else than JSON, or is not configured.
//
// Thread affinity: lives on the thread that calls it (the support page and
// the main window move theirs to worker threads and reach it through
// queued connections); every request ends in exactly one sigLastVersionRet.
class LastVersion : public RPAccountManage
{
    Q_OBJECT

public:
    // A reply that has not finished after this long counts as a network error.
    static constexpr int kTransferTimeoutMs = 30000;

    explicit LastVersion(QObject *parent = nullptr);

signals:
    void sigLastVersionRet(int rCode, QString rMsg, QString version, QString path, QString versionDate);

public slots:
    // name: the model folder name; asks for name + "-firmware".
    void RpLastFirmVersionJson(QString versionType);
    // name: the program's product name; asks for name + "-software".
    void RpLastSoftwareVersionJson(QString versionType);
    void slots_onSigFinished(QNetworkReply *reply);

private:
    void ask(const QString &versionType);
};
