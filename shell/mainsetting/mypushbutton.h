#pragma once

#include "discovery/models.h"

#include <QPushButton>

// The clickable label that stands for one physical mouse button on the main
// settings page. It remembers what the device reported for the button, asks
// for the key assignment dialog when clicked and announces hovering so the
// page can point at the button.
class MyPushButton : public QPushButton
{
    Q_OBJECT

public:
    explicit MyPushButton(int button, QWidget *parent = nullptr);

    int buttonNumber() const { return m_button; }
    int mouseType() const { return m_mouseType; }
    bool isFactory() const { return m_isFactory; }
    int changeType() const { return m_changeType; }
    int trueValue() const { return m_trueValue; }
    int modifyKeys() const { return m_modifyKeys; }

    // Size, text and style of the model's group; codes outside every group
    // are stored and change nothing else.
    void setMouseType(int mouseType);
    // What the device reports for the button. A reported assignment also
    // marks the button as changed: family A reports only the assignment.
    void setButtonTrueValue(int changeType, int trueValue, int modifyKey);

signals:
    void sig_ShowKeySettingDialog(int button, int changeType, int trueMouseValue, int modifyKeyValue);
    void sig_ShowMouseLeftLabel(bool state, int button);

public slots:
    void setMouseButtonStyleSheetIsOriginal(bool state);
    void slot_SendShowKeySettingMessage();

protected:
    bool event(QEvent *event) override;

private:
    void applyGroupStyle();

    int m_button;
    int m_mouseType = Ox7;
    bool m_isFactory = true;
    int m_changeType = -1;
    int m_trueValue = -1;
    int m_modifyKeys = -1;
    int m_width = 192;
    bool m_markRight = false;
};
