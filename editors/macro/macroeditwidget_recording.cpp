// The macro page: recording from the keyboard and the on-screen mouse buttons.

#include "editors/macro/macroeditwidget.h"
#include "editors/macro/macroeditwidget_p.h"

#include "config/jsonhandle.h"
#include "config/languagetable.h"
#include "config/paths.h"
#include "config/warningtype.h"
#include "device/keytables.h"
#include "discovery/models.h"
#include "editors/macro/macrolibrary.h"
#include "editors/textfit.h"
#include "platform/clock.h"
#include "platform/keymap.h"
#include "ui_macroeditwidget.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QIntValidator>
#include <QKeyEvent>
#include <QPointer>
#include <QScrollBar>

#include <algorithm>
#include <limits>

using namespace macroevents;
using namespace macropage;

void MacroEditWidget::on_StartRecordButton_clicked()
{
    if (m_recording)
        stopRecording();
    else
        startRecording();
}

void MacroEditWidget::showRecordingControls(bool recording)
{
    for (QWidget *b : {m_ui->AddEventButton, m_ui->ReduceEventButton, m_ui->EditEventButton})
        b->setVisible(!recording);
    for (QWidget *w : {m_ui->MacroBandingWidget, m_ui->MacroBandingWidget_2,
                       static_cast<QWidget *>(m_ui->LeftMouseButton), static_cast<QWidget *>(m_ui->MidMouseButton),
                       static_cast<QWidget *>(m_ui->RightMouseButton)})
        w->setVisible(recording);
    fitButtonText(m_ui->StartRecordButton, languageText(recording ? 296 : 176), 0.9);
}

void MacroEditWidget::startRecording()
{
    if (currentMacroPath().isEmpty()) {
        qDebug() << "on_StartRecordButton_clicked: no macro chosen";
        return;
    }
    sendUiEvent(utf8("开始录制"));
    deleteListWidgetAllItem();
    m_macroLength = 0;
    m_recording = true;
    m_firstEvent = true;
    m_heldKeys.clear();
    showRecordingControls(true);
    emit sig_BanClickTopButton(true, true);
    updateKeyboardGrab();
}

void MacroEditWidget::stopRecording()
{
    if (!m_recording)
        return;
    sendUiEvent(utf8("结束录制"));
    // Keys still down would stay down on the mouse: they are let go.
    while (!m_heldKeys.isEmpty()) {
        const int key = m_heldKeys.takeFirst();
        addEventRow(keyRow(key, kReleased, virtualKeyName(key)));
        m_macroLength += kShortEventBytes;
    }
    m_recording = false;
    showRecordingControls(false);
    updateKeyboardGrab();
    updateMacroFile();
    // The running length replaces the one updateMacroFile computed.
    const QString path = currentMacroPath();
    const int length = m_macroLength;
    if (!path.isEmpty())
        onWorker([path, length](JsonHandle &json) { return json.setMacroLength(path, length); }, path);
    m_macroLength = 0;
    emit sig_BanClickTopButton(false, false);
}

int MacroEditWidget::nextDelay()
{
    const qint64 now = deviceClock().nowMs();
    if (m_firstEvent) {
        m_firstEvent = false;
        m_lastEventMs = now;
        return 1;
    }
    const qint64 delay = std::clamp<qint64>(now - m_lastEventMs, 0, std::numeric_limits<int>::max());
    m_lastEventMs = now;
    return int(delay);
}

void MacroEditWidget::recordPress(int keyCode)
{
    if (m_heldKeys.contains(keyCode))
        return; // held down: one press, however often it repeats
    const bool first = m_firstEvent;
    const int delay = nextDelay();
    if (!first)
        addEventRow(delayRow(delay));
    m_macroLength += calculateMacroNodeLength(delay);
    if (m_macroLength >= kMaxMacroLength) {
        qDebug() << "MacroNodeIsTooLong " << m_macroLength;
        stopRecording();
        emit sig_ShowWarningWidgetOnMacroEditWidget(Warning::MacroTooLong);
        return;
    }
    addEventRow(keyRow(keyCode, kPressed, virtualKeyName(keyCode)));
    m_heldKeys.append(keyCode);
    m_ui->EventListWidget->scrollToBottom();
}

void MacroEditWidget::recordRelease(int keyCode)
{
    // A key pressed before the recording began has nothing to end here.
    if (!m_heldKeys.removeOne(keyCode))
        return;
    const int delay = nextDelay();
    addEventRow(delayRow(delay));
    addEventRow(keyRow(keyCode, kReleased, virtualKeyName(keyCode)));
    m_macroLength += calculateMacroNodeLength(delay);
    m_ui->EventListWidget->scrollToBottom();
}

MacroNode MacroEditWidget::createKeyButtonNode(int keyCode, int state, int time)
{
    MacroNode node;
    node.ValueType = kKeyNode;
    node.KeyValue = keyCode;
    node.State = state;
    node.TimeLapse = time;
    node.Text = virtualKeyName(keyCode);
    return node;
}

void MacroEditWidget::turnShortCutScanCodeToVirtualCode(int scanCode, int &virtualCode)
{
    switch (scanCode) {
    case 29: virtualCode = 162; break;
    case 42: virtualCode = 160; break;
    case 54: virtualCode = 161; break;
    case 56: virtualCode = 164; break;
    case 285: virtualCode = 163; break;
    case 312: virtualCode = 165; break;
    default: break;
    }
}

int MacroEditWidget::recordedKey(QKeyEvent *event) const
{
    const WindowsKey key = windowsKeyForEvent(*event);
    qDebug() << "keyPressEvent" << key.virtualKey;
    if (event->isAutoRepeat() || key.virtualKey == 0 || key.virtualKey == 12)
        return 0;
    int code = key.virtualKey;
    turnShortCutScanCodeToVirtualCode(key.scanCode, code);
    return code;
}

void MacroEditWidget::keyPressEvent(QKeyEvent *event)
{
    if (!m_recording && !(m_editing && m_addKey)) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    const int key = recordedKey(event);
    if (key == 0)
        return;
    if (m_recording) {
        recordPress(key);
        return;
    }
    // The key of a hand edit: a press and a release of it.
    m_nodeList = {createKeyButtonNode(key, kPressed, kEditNodeDelay), createKeyButtonNode(key, kReleased, kEditNodeDelay)};
    m_ui->lineEdit->setText(virtualKeyName(key));
}

void MacroEditWidget::keyReleaseEvent(QKeyEvent *event)
{
    if (!m_recording) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (const int key = recordedKey(event))
        recordRelease(key);
}

void MacroEditWidget::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A hidden page must not keep the keyboard.
    updateKeyboardGrab();
}

void MacroEditWidget::showEvent(QShowEvent *event)
{
    // Texts are fitted once the style sheet has given the widgets their fonts.
    ensurePolished();
    setLanguageTexts();
    QWidget::showEvent(event);
    updateKeyboardGrab();
}

void MacroEditWidget::updateKeyboardGrab()
{
    // While recording or waiting for an edit's key every key is the page's,
    // whichever of its widgets has the focus.
    const bool grab = isVisible() && (m_recording || (m_editing && m_addKey));
    if (grab == m_keyboardGrabbed)
        return;
    m_keyboardGrabbed = grab;
    if (grab) {
        setFocus();
        grabKeyboard();
    } else {
        releaseKeyboard();
    }
}

void MacroEditWidget::createMouseButtonPressNode(int button)
{
    recordPress(button);
}

void MacroEditWidget::createMouseButtonRelaseNode(int button)
{
    recordRelease(button);
}

void MacroEditWidget::insertAMouseButtonNode(int button)
{
    m_nodeList = {createKeyButtonNode(button, kPressed, kEditNodeDelay),
                  createKeyButtonNode(button, kReleased, kEditNodeDelay)};
    m_ui->lineEdit->setText(virtualKeyName(button));
}

void MacroEditWidget::on_LeftMouseButton_pressed()
{
    qDebug() << "LeftButtonPress";
    sendUiEvent(utf8("宏左键"));
    if (m_recording)
        createMouseButtonPressNode(kLeftButton);
    else if (m_editing && m_addKey)
        insertAMouseButtonNode(kLeftButton);
}

void MacroEditWidget::on_LeftMouseButton_released()
{
    if (m_recording)
        createMouseButtonRelaseNode(kLeftButton);
}

void MacroEditWidget::on_MidMouseButton_pressed()
{
    qDebug() << "MidPress";
    sendUiEvent(utf8("宏中键"));
    if (m_recording)
        createMouseButtonPressNode(kMiddleButton);
    else if (m_editing && m_addKey)
        insertAMouseButtonNode(kMiddleButton);
}

void MacroEditWidget::on_MidMouseButton_released()
{
    if (m_recording)
        createMouseButtonRelaseNode(kMiddleButton);
}

void MacroEditWidget::on_RightMouseButton_pressed()
{
    qDebug() << "RightPress";
    sendUiEvent(utf8("宏右键"));
    if (m_recording)
        createMouseButtonPressNode(kRightButton);
    else if (m_editing && m_addKey)
        insertAMouseButtonNode(kRightButton);
}

void MacroEditWidget::on_RightMouseButton_released()
{
    if (m_recording)
        createMouseButtonRelaseNode(kRightButton);
}

// --- Editing by hand ---------------------------------------------------------------------------
