#pragma once

#include "config/inistores.h"

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QUrl>

class QFile;
class QHttpMultiPart;
class QNetworkAccessManager;
class QNetworkReply;

// What a web-service reply said: the envelope {"code", "msg", "data"}, or
// code -1 with one of the two client texts when the transport failed or
// the body was not JSON.
struct ServiceReply
{
    int code = -1;
    QString message;
    QJsonObject data;
    bool transportFailed = false;
};

// Text number of a result code for the user: codes 0..7 -> 301..308,
// 10001..10031 -> 309..339, 10050 -> 340, -1 -> 300, anything else 299.
int resultTextNumber(int code);

// Base of every call to the web service: owns the network access manager,
// the base URL, the token store and the path table, and builds the two kinds
// of request (a compact JSON body, or a multipart archive upload). Calls are
// fire-and-forget; a derived class connects sigFinished to its own handler
// and emits one result signal per reply. Lives on the thread that uses it.
class RPAccountManage : public QObject
{
    Q_OBJECT

public:
    enum Endpoint {
        Login = 0,
        Register = 1,
        UpdatePassword = 2,
        FindPassword = 3,
        ValidatePassword = 4,
        NewPassword = 5,
        FileUpload = 6,
        SaveMacroConfig = 7,
        SaveConfig = 8,
        GetConfig = 9,
        GetMacroConfig = 10,
        Version = 11,
    };
    // Which archive an upload carries ("LocalFile.zip" or "MacroFiles.zip").
    enum class Archive { Configuration, Macros };

    explicit RPAccountManage(QObject *parent = nullptr);
    ~RPAccountManage() override;

    // "/v1/..." for an index 0..11; empty otherwise.
    static QString endpointPath(int index);
    // Base URL + path; empty for an unknown index or when no usable service
    // is configured (see config/servicesettings.h).
    QUrl endpointUrl(int index) const;
    bool hasService() const { return m_baseUrl.isValid() && !m_baseUrl.isEmpty(); }
    QUrl baseUrl() const { return m_baseUrl; }
    // Tests and the settings page point a call object elsewhere.
    void setBaseUrl(const QUrl &url);

    OperateToken &tokenStore() { return m_token; }
    // The token sent as "Authorization"; empty when logged out.
    QString storedToken();

    // POST body to the endpoint with Content-Type application/json and the
    // stored token as "Authorization". nullptr (and nothing sent) when the
    // URL is empty. The reply arrives through sigFinished.
    QNetworkReply *postJson(int index, const QJsonObject &body);
    // POST the opened file as the one multipart part "file" to the upload
    // endpoint. The multipart object lives as long as the reply; the caller
    // keeps the file open until the reply has finished. nullptr when nothing
    // was sent.
    QNetworkReply *postArchive(QFile *file, Archive kind);

    // The common reply rules. defaultCode stands in for a missing "code"
    // (the login uses 10); networkErrorText is the message for a transport
    // error (text 580, or 582 for the registration).
    static ServiceReply readReply(QNetworkReply *reply, int defaultCode = 0, int networkErrorText = 580);

    // Ends every request still under way; each ends through sigFinished with
    // an error, as a failed transfer would (a page that gave up waiting).
    void abortPending();

signals:
    void sigFinished(QNetworkReply *reply);

protected:
    QNetworkAccessManager *network() const { return m_network; }

private:
    QNetworkAccessManager *m_network;
    QUrl m_baseUrl;
    OperateToken m_token;
};
