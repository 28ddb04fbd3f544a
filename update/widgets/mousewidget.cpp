#include "update/widgets/mousewidget.h"

#include "config/paths.h"
#include "discovery/models.h"

#include <QIcon>

namespace {
// The main page's picture of the model, shown small.
QString picturePath(int mouseType)
{
    const QString family = getFamilyFolderName(mouseType);
    return QStringLiteral(":/picture/%1/picture/%2/bg_main_mouse.png").arg(family, family.toUpper());
}
} // namespace

MouseWidget::MouseWidget(int mouseType, QWidget *parent)
    : QToolButton(parent)
    , m_mouseType(mouseType)
{
    setObjectName(QStringLiteral("MouseWidget_") + getModelFolderName(mouseType));
    setFixedSize(kWidth, kHeight);
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setIcon(QIcon(picturePath(mouseType)));
    setIconSize(QSize(kWidth - 16, kHeight - 40));
    const ModelIdentity *model = modelForType(mouseType);
    setText(model ? QString::fromLatin1(model->name) : QString());
}
