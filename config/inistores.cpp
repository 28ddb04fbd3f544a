#include "config/inistores.h"

#include "config/paths.h"
#include "platform/safefile.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace {

// Longer than any token, address or path we store; a longer value is not
// ours and is treated as absent.
constexpr int kMaxValueLength = 64 * 1024;
// Longest path the system accepts.
constexpr int kMaxPathLength = 4096;

const QString kNull = QStringLiteral("NULL");

// A settings value as text; a value the INI reader split at commas is put
// back together.
QString valueText(const QVariant &value)
{
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

// A JSON string literal, quotes included.
QString jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

bool isPlainIndex(const QString &text)
{
    if (text.isEmpty() || text.size() > 9)
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

void useUtf8Ini(QSettings &settings)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    settings.setIniCodec("UTF-8");
#else
    Q_UNUSED(settings)
#endif
}

// ---------------------------------------------------------------- OperateIni

OperateIni::OperateIni(QObject *parent)
    : QObject(parent)
{
}

OperateIni::~OperateIni() = default;

void OperateIni::open(const QString &path)
{
    m_path = path;
    m_opened = true;
    m_settings.reset();
}

bool OperateIni::fileUsable()
{
    if (isMissingOrRegularFile(m_path)) {
        // QSettings reads the file as soon as it exists, so it is made only
        // once the file is known to be one we may read.
        if (!m_settings) {
            m_settings = std::make_unique<QSettings>(m_path, QSettings::IniFormat);
            useUtf8Ini(*m_settings);
        }
        return true;
    }
    qDebug() << "OperateIni: not a regular file, left alone:" << m_path;
    m_settings.reset();
    return false;
}

QString OperateIni::getValue(const QString &key)
{
    if (!m_opened)
        return QStringLiteral("key error or unInit obj");
    if (!fileUsable())
        return kNull;
    // Another instance may have written the file since we last looked.
    m_settings->sync();
    const QVariant value = m_settings->value(key);
    if (!value.isValid())
        return kNull;
    const QString text = valueText(value);
    if (text.size() > kMaxValueLength) {
        qDebug() << "OperateIni: value too long for" << key << text.size();
        return kNull;
    }
    return text;
}

void OperateIni::setValue(const QString &key, const QString &text)
{
    if (!m_opened || !fileUsable())
        return;
    m_settings->setValue(key, text);
    m_settings->sync();
}

QString systemIniPath()
{
    return getAppDir() + QStringLiteral("/system/system.ini");
}

bool removeSystemIni()
{
    return QFile::remove(systemIniPath());
}

QString pointerSettingsIniPath()
{
    return getAppDir() + QStringLiteral("/system/pointer.ini");
}

// -------------------------------------------------------------- OperateToken

namespace {
// The token opens the account like a password: only the user may read the
// file that holds it, or list the folder. Later rewrites of the file keep
// its mode.
void keepSystemIniPrivate()
{
    const QString path = systemIniPath();
    const QString folder = QFileInfo(path).absolutePath();
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!QFileInfo::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            qDebug() << "OperateToken: cannot create" << path << file.errorString();
    }
    if (!QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        qDebug() << "OperateToken: cannot restrict" << path;
}
} // namespace

OperateToken::OperateToken(QObject *parent)
    : QObject(parent)
{
    m_ini.open(systemIniPath());
}

QString OperateToken::GetToken() { return m_ini.getValue(QStringLiteral("/INFO/token")); }
QString OperateToken::GetEmail() { return m_ini.getValue(QStringLiteral("/INFO/email")); }
QString OperateToken::GetNickName() { return m_ini.getValue(QStringLiteral("/INFO/nickName")); }

void OperateToken::SetToken(const QString &token)
{
    keepSystemIniPrivate();
    m_ini.setValue(QStringLiteral("/INFO/token"), token);
}

void OperateToken::SetEmail(const QString &email)
{
    keepSystemIniPrivate();
    m_ini.setValue(QStringLiteral("/INFO/email"), email);
}

void OperateToken::SetNickName(const QString &nickName)
{
    keepSystemIniPrivate();
    m_ini.setValue(QStringLiteral("/INFO/nickName"), nickName);
}

// ------------------------------------------------------------- OpFunConfFile

namespace {
const QString kMidKey = QStringLiteral("/SET/Mid_key");
const QString kMidWheel = QStringLiteral("/SET/Mid_wheel");
const QString kSideUpkey = QStringLiteral("/SET/Side_upkey");
const QString kSideDownkey = QStringLiteral("/SET/Side_downkey");
const QString kSideWheel = QStringLiteral("/SET/Side_wheel");
} // namespace

OpFunConfFile::OpFunConfFile(QObject *parent)
    : QObject(parent)
{
    m_ini.open(systemIniPath());
}

QString OpFunConfFile::formatFunctionValue(const QString &stored)
{
    const QStringList parts = stored.split(QLatin1Char('-'), Qt::KeepEmptyParts);
    if (parts.size() != 3)
        return QString();
    // The values come from the account server: the index goes into the text
    // unquoted, so it must be a plain number, and the two texts are escaped
    // so that no value can break or extend the JSON.
    if (!isPlainIndex(parts.at(1)))
        return QString();
    return QStringLiteral("{\"name\":%1,\"index\":%2,\"tag\":%3}")
        .arg(jsonString(parts.at(0)), parts.at(1), jsonString(parts.at(2)));
}

void OpFunConfFile::SetMidKeyVal(const QString &val) { m_ini.setValue(kMidKey, val); }
void OpFunConfFile::SetMidWheelVal(const QString &val) { m_ini.setValue(kMidWheel, val); }
void OpFunConfFile::SetSideDownkeyVal(const QString &val) { m_ini.setValue(kSideDownkey, val); }
void OpFunConfFile::SetSideUpkeyVal(const QString &val) { m_ini.setValue(kSideUpkey, val); }
void OpFunConfFile::SetSideWheel(const QString &val) { m_ini.setValue(kSideWheel, val); }

void OpFunConfFile::SetDefault()
{
    for (const QString &key : {kMidKey, kMidWheel, kSideUpkey, kSideDownkey, kSideWheel})
        m_ini.setValue(key, QString());
}

QString OpFunConfFile::GetMidKeyVal() { return formatFunctionValue(m_ini.getValue(kMidKey)); }
QString OpFunConfFile::GetMidWheelVal() { return formatFunctionValue(m_ini.getValue(kMidWheel)); }
QString OpFunConfFile::GetSideDownkeyVal() { return formatFunctionValue(m_ini.getValue(kSideDownkey)); }
QString OpFunConfFile::GetSideUpkeyVal() { return formatFunctionValue(m_ini.getValue(kSideUpkey)); }
QString OpFunConfFile::GetSideWheel() { return formatFunctionValue(m_ini.getValue(kSideWheel)); }

// ---------------------------------------------------------------- OpConfPath

namespace {
const QString kMidWebUrl = QStringLiteral("/PATH/mid_web_url");
const QString kMidFilePath = QStringLiteral("/PATH/mid_file_path");
const QString kMidFolderPath = QStringLiteral("/PATH/mid_folder_path");
const QString kMidAppPath = QStringLiteral("/PATH/mid_app_path");
const QString kUpWebUrl = QStringLiteral("/PATH/slider_up_web_url");
const QString kUpFilePath = QStringLiteral("/PATH/slider_up_file_path");
const QString kUpFolderPath = QStringLiteral("/PATH/slider_up_folder_path");
const QString kUpAppPath = QStringLiteral("/PATH/slider_up_app_path");
const QString kDownWebUrl = QStringLiteral("/PATH/slider_down_web_url");
const QString kDownFilePath = QStringLiteral("/PATH/slider_down_file_path");
const QString kDownFolderPath = QStringLiteral("/PATH/slider_down_folder_path");
const QString kDownAppPath = QStringLiteral("/PATH/slider_down_app_path");
} // namespace

OpConfPath::OpConfPath(QObject *parent)
    : QObject(parent)
{
    m_ini.open(systemIniPath());
}

QString OpConfPath::GetMidWebUrl() { return m_ini.getValue(kMidWebUrl); }
QString OpConfPath::GetMidFilePath() { return m_ini.getValue(kMidFilePath); }
QString OpConfPath::GetMidFloderPath() { return m_ini.getValue(kMidFolderPath); }
QString OpConfPath::GetMidAppPath() { return m_ini.getValue(kMidAppPath); }
void OpConfPath::SetMidWebUrl(const QString &url) { m_ini.setValue(kMidWebUrl, url); }
void OpConfPath::SetMidFilePath(const QString &fPath) { m_ini.setValue(kMidFilePath, fPath); }
void OpConfPath::SetMidFolderPath(const QString &path) { m_ini.setValue(kMidFolderPath, path); }
void OpConfPath::SetMidAppPath(const QString &app_path) { m_ini.setValue(kMidAppPath, app_path); }

QString OpConfPath::GetSliderUpWebUrl() { return m_ini.getValue(kUpWebUrl); }
QString OpConfPath::GetSliderUpFilePath() { return m_ini.getValue(kUpFilePath); }
QString OpConfPath::GetSliderUpFloderPath() { return m_ini.getValue(kUpFolderPath); }
QString OpConfPath::GetSliderUpAppPath() { return m_ini.getValue(kUpAppPath); }
void OpConfPath::SetSliderUpWebUrl(const QString &url) { m_ini.setValue(kUpWebUrl, url); }
void OpConfPath::SetSliderUpFilePath(const QString &fPath) { m_ini.setValue(kUpFilePath, fPath); }
void OpConfPath::SetSliderUpFolderPath(const QString &path) { m_ini.setValue(kUpFolderPath, path); }
void OpConfPath::SetSliderUpAppPath(const QString &app_path) { m_ini.setValue(kUpAppPath, app_path); }

QString OpConfPath::GetSliderDownWebUrl() { return m_ini.getValue(kDownWebUrl); }
QString OpConfPath::GetSliderDownFilePath() { return m_ini.getValue(kDownFilePath); }
QString OpConfPath::GetSliderDownFloderPath() { return m_ini.getValue(kDownFolderPath); }
QString OpConfPath::GetSliderDownAppPath() { return m_ini.getValue(kDownAppPath); }
void OpConfPath::SetSliderDownWebUrl(const QString &url) { m_ini.setValue(kDownWebUrl, url); }
void OpConfPath::SetSliderDownFilePath(const QString &fPath) { m_ini.setValue(kDownFilePath, fPath); }
void OpConfPath::SetSliderDownFolderPath(const QString &path) { m_ini.setValue(kDownFolderPath, path); }
void OpConfPath::SetSliderDownAppPath(const QString &app_path) { m_ini.setValue(kDownAppPath, app_path); }

void OpConfPath::SetDefault()
{
    for (const QString &key : {kMidWebUrl, kMidFilePath, kMidFolderPath, kMidAppPath, kUpWebUrl, kUpFilePath,
                               kUpFolderPath, kUpAppPath, kDownWebUrl, kDownFilePath, kDownFolderPath,
                               kDownAppPath})
        m_ini.setValue(key, QString());
}

// ----------------------------------------------------------- NoLongerRemind

QString noLongerRemindIniPath()
{
    return getAppDir() + QStringLiteral("/NoLongerRemind.ini");
}

bool readNotRemind()
{
    if (!isMissingOrRegularFile(noLongerRemindIniPath()))
        return false;
    const QSettings settings(noLongerRemindIniPath(), QSettings::IniFormat);
    return settings.value(QStringLiteral("NotRemind"), 0).toInt() == 1;
}

void writeNotRemind(int value)
{
    if (!isMissingOrRegularFile(noLongerRemindIniPath()))
        return;
    QSettings settings(noLongerRemindIniPath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("NotRemind"), value);
    settings.sync();
}

// ---------------------------------------------------------- HighestFunction

QString highestFunctionIniPath()
{
    return getAppDir() + QStringLiteral("/keysetting/HighestFunction.ini");
}

bool removeHighestFunctionIni()
{
    return QFile::remove(highestFunctionIniPath());
}

QString highestFunctionSection(int button)
{
    switch (button) {
    case 4: return QStringLiteral("LeftKey");
    case 5: return QStringLiteral("MidKey");
    case 6: return QStringLiteral("RightKey");
    case 7: return QStringLiteral("FowardKey");
    case 8: return QStringLiteral("BackKey");
    case 11: return QStringLiteral("WheelFoward");
    case 12: return QStringLiteral("WheelBack");
    case 13: return QStringLiteral("DPIAdd");
    case 14: return QStringLiteral("DPIReduce");
    case 15: return QStringLiteral("Custom1");
    case 16: return QStringLiteral("Custom2");
    case 17: return QStringLiteral("Custom3");
    default: return QString();
    }
}

bool readHighestFunction(int button, int &function, QString &path)
{
    // QSettings would block on a FIFO and follow a link.
    if (!isMissingOrRegularFile(highestFunctionIniPath()))
        return false;
    QSettings settings(highestFunctionIniPath(), QSettings::IniFormat);
    useUtf8Ini(settings);
    const QString section = highestFunctionSection(button);
    const QString prefix = section.isEmpty() ? QString() : section + QLatin1Char('/');
    if (settings.value(prefix + QStringLiteral("state"), 0).toInt() == 0)
        return false;
    const QString newPath = valueText(settings.value(prefix + QStringLiteral("path")));
    if (newPath.size() > kMaxPathLength) {
        qDebug() << "readHighestFunction: path too long for button" << button;
        return false;
    }
    function = settings.value(prefix + QStringLiteral("function"), 0).toInt();
    path = newPath;
    return true;
}
