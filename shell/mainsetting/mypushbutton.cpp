#include "shell/mainsetting/mypushbutton.h"

#include "shell/mainsetting/mousebuttonlayout.h"
#include "editors/textfit.h"

#include <QDebug>
#include <QEvent>

MyPushButton::MyPushButton(int button, QWidget *parent)
    : QPushButton(parent)
    , m_button(button)
{
    setFlat(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover, true);
    QFont f = font();
    f.setFamily(QStringLiteral("Source Han Sans CN"));
    f.setPixelSize(12);
    setFont(f);
    connect(this, &QPushButton::clicked, this, &MyPushButton::slot_SendShowKeySettingMessage);
    setMouseType(Ox7);
}

void MyPushButton::setMouseType(int mouseType)
{
    m_mouseType = mouseType;
    const ButtonLayoutGroup group = buttonLayoutGroup(mouseType);
    if (group == ButtonLayoutGroup::None)
        return;
    const MouseButtonPlace place = mouseButtonPlace(group, m_button);
    if (place.button != 0) {
        m_width = place.width;
        m_markRight = place.markRight;
    } else {
        // A button the model's layout does not show keeps a plain label.
        const QVector<MouseButtonPlace> layout = mouseButtonLayout(group);
        m_width = layout.isEmpty() ? 192 : layout.first().width;
        m_markRight = false;
    }
    resize(m_width, kButtonLabelHeight);
    applyGroupStyle();
    fitButtonText(this, mouseButtonName(m_button, mouseType), 0.8);
}

void MyPushButton::applyGroupStyle()
{
    // Room for the leader mark at one end; the text stays centred on the rest.
    const QString padding = m_markRight ? QStringLiteral("padding:0px 14px 0px 6px;")
                                        : QStringLiteral("padding:0px 6px 0px 14px;");
    const QString base = QStringLiteral("QPushButton{background:transparent;border:none;border-radius:0px;"
                                        "min-height:0px;%1border-image:url(%2);color:%3;line-height:14px;}");
    if (m_isFactory) {
        setStyleSheet(base.arg(padding, buttonPicturePath(QStringLiteral("BlueBorder"), m_width, m_markRight),
                               QStringLiteral("rgba(64,197,221,1)"))
                      + QStringLiteral("QPushButton:hover{border-image:url(%1);}")
                            .arg(buttonPicturePath(QStringLiteral("WhiteBorder"), m_width, m_markRight))
                      + QStringLiteral("QPushButton:pressed{border-image:url(%1);}")
                            .arg(buttonPicturePath(QStringLiteral("BlueBackground"), m_width, m_markRight)));
    } else {
        setStyleSheet(base.arg(padding,
                               buttonPicturePath(QStringLiteral("BlueBackground"), m_width, m_markRight),
                               QStringLiteral("white")));
    }
}

void MyPushButton::setButtonTrueValue(int changeType, int trueValue, int modifyKey)
{
    qDebug() << "setButtonTrueValue changeType buttonTrueValue modifyKeyValue" << changeType << trueValue
             << modifyKey;
    m_changeType = changeType;
    m_trueValue = trueValue;
    m_modifyKeys = modifyKey;
    if (changeType != -1 && m_isFactory) {
        m_isFactory = false;
        if (buttonLayoutGroup(m_mouseType) != ButtonLayoutGroup::None)
            applyGroupStyle();
    }
}

void MyPushButton::setMouseButtonStyleSheetIsOriginal(bool state)
{
    qDebug() << "setMouseButtonStyleSheetIsOriginal" << state << m_button;
    m_isFactory = state;
    m_changeType = -1;
    m_trueValue = -1;
    m_modifyKeys = -1;
    if (buttonLayoutGroup(m_mouseType) != ButtonLayoutGroup::None)
        applyGroupStyle();
}

void MyPushButton::slot_SendShowKeySettingMessage()
{
    if (m_isFactory)
        emit sig_ShowKeySettingDialog(m_button, -1, -1, -1);
    else
        emit sig_ShowKeySettingDialog(m_button, m_changeType, m_trueValue, m_modifyKeys);
}

bool MyPushButton::event(QEvent *event)
{
    if (event->type() == QEvent::HoverEnter)
        emit sig_ShowMouseLeftLabel(true, m_button);
    else if (event->type() == QEvent::HoverLeave)
        emit sig_ShowMouseLeftLabel(false, m_button);
    return QPushButton::event(event);
}
