#include "config/loadedprofile.h"

#include "config/jsonfile.h"
#include "config/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>

QString loadedProfilesPath()
{
    return getAppDir() + QStringLiteral("/system/loadedprofiles.json");
}

int loadedProfile(int mouseType)
{
    const int number = readJsonRootObject(loadedProfilesPath()).value(getModelFolderName(mouseType)).toInt();
    return number >= 1 && number <= 5 ? number : 0;
}

bool recordLoadedProfile(int mouseType, int number)
{
    if (number < 1 || number > 5)
        return false;
    const QString path = loadedProfilesPath();
    QJsonObject root = readJsonRootObject(path);
    const QString model = getModelFolderName(mouseType);
    if (root.value(model).toInt() == number)
        return true;
    root.insert(model, number);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return writeJsonFile(path, root);
}

QVector<int> profileSearchOrder(int preferred)
{
    QVector<int> order;
    if (preferred >= 1 && preferred <= 5)
        order.append(preferred);
    for (int n = 1; n <= 5; ++n)
        if (n != preferred)
            order.append(n);
    return order;
}
