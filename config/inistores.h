#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QSettings;

// Makes an INI file read and write its text as UTF-8 (Qt 6 always does).
void useUtf8Ini(QSettings &settings);

// One INI file (UTF-8) opened through QSettings. Several instances may be
// open on the same file: every write is flushed at once and every read
// reloads the file first, so each instance sees the others' writes.
// Keys carry their group, as in "/INFO/token". Anything at the path but a
// regular file (a link, a FIFO) is never read or written: keys read as
// absent and writes are dropped. The other INI stores below follow the
// same rule.
class OperateIni : public QObject
{
    Q_OBJECT

public:
    explicit OperateIni(QObject *parent = nullptr);
    ~OperateIni() override;

    void open(const QString &path);
    // The stored text; "NULL" when the key is absent (or its value is too
    // long to be ours); "key error or unInit obj" before open.
    QString getValue(const QString &key);
    // Does nothing before open.
    void setValue(const QString &key, const QString &text);

private:
    // Whether the file may be used; makes the settings object when it may.
    bool fileUsable();

    QString m_path;
    bool m_opened = false;
    std::unique_ptr<QSettings> m_settings;
};

// Path of the system INI file: APP/system/system.ini.
QString systemIniPath();
// Deletes the system INI file (log-out forgets the account and the bindings
// kept with it); true when a file was removed.
bool removeSystemIni();

// APP/system/pointer.ini: the pointer speed and wheel lines as we keep them.
QString pointerSettingsIniPath();

// The signed-in account: token, e-mail and nick name in [INFO]. Writing
// them keeps system.ini readable by the user alone (file 0600, folder 0700).
class OperateToken : public QObject
{
    Q_OBJECT

public:
    explicit OperateToken(QObject *parent = nullptr);

public slots:
    QString GetToken();
    QString GetEmail();
    QString GetNickName();
    void SetToken(const QString &token);
    void SetEmail(const QString &email);
    void SetNickName(const QString &nickName);

private:
    OperateIni m_ini;
};

// Key-function settings of the middle key, the side keys and the wheels in
// [SET]. Values are stored as "name-index-tag"; the getters return them as
// the JSON text {"name":"...","index":N,"tag":"..."}, or an empty string.
class OpFunConfFile : public QObject
{
    Q_OBJECT

public:
    explicit OpFunConfFile(QObject *parent = nullptr);

    // The getters' conversion of a stored value, exposed for tests.
    static QString formatFunctionValue(const QString &stored);

public slots:
    void SetMidKeyVal(const QString &val);
    void SetMidWheelVal(const QString &val);
    void SetSideDownkeyVal(const QString &val);
    void SetSideUpkeyVal(const QString &val);
    void SetSideWheel(const QString &val);
    void SetDefault();
    QString GetMidKeyVal();
    QString GetMidWheelVal();
    QString GetSideDownkeyVal();
    QString GetSideUpkeyVal();
    QString GetSideWheel();

private:
    OperateIni m_ini;
};

// Web addresses, files, folders and programs bound to the middle key and the
// slider keys, in [PATH].
class OpConfPath : public QObject
{
    Q_OBJECT

public:
    explicit OpConfPath(QObject *parent = nullptr);

public slots:
    QString GetMidWebUrl();
    QString GetMidFilePath();
    QString GetMidFloderPath();
    QString GetMidAppPath();
    void SetMidWebUrl(const QString &url);
    void SetMidFilePath(const QString &fPath);
    void SetMidFolderPath(const QString &path);
    void SetMidAppPath(const QString &app_path);

    QString GetSliderUpWebUrl();
    QString GetSliderUpFilePath();
    QString GetSliderUpFloderPath();
    QString GetSliderUpAppPath();
    void SetSliderUpWebUrl(const QString &url);
    void SetSliderUpFilePath(const QString &fPath);
    void SetSliderUpFolderPath(const QString &path);
    void SetSliderUpAppPath(const QString &app_path);

    QString GetSliderDownWebUrl();
    QString GetSliderDownFilePath();
    QString GetSliderDownFloderPath();
    QString GetSliderDownAppPath();
    void SetSliderDownWebUrl(const QString &url);
    void SetSliderDownFilePath(const QString &fPath);
    void SetSliderDownFolderPath(const QString &path);
    void SetSliderDownAppPath(const QString &app_path);

    void SetDefault();

private:
    OperateIni m_ini;
};

// APP/NoLongerRemind.ini, key "NotRemind": 1 when the user asked not to be
// told about new software versions.
QString noLongerRemindIniPath();
bool readNotRemind();
void writeNotRemind(int value);

// APP/keysetting/HighestFunction.ini, one section per button code. False
// (outputs untouched) when the button's entry is not active or unusable.
QString highestFunctionIniPath();
// Deletes the file (the factory reset); true when a file was removed.
bool removeHighestFunctionIni();
QString highestFunctionSection(int button);
bool readHighestFunction(int button, int &function, QString &path);
