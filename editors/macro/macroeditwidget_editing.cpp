// The macro page: hand edits of the event list and the play mode.

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

void MacroEditWidget::EditArrayEditable(bool state)
{
    m_editing = state;
    emit sig_HeaderButtonEnable(!state);
    for (QWidget *w : {m_ui->MacroBandingWidget, m_ui->MacroBandingWidget_2, static_cast<QWidget *>(m_ui->LeftMouseButton),
                       static_cast<QWidget *>(m_ui->MidMouseButton), static_cast<QWidget *>(m_ui->RightMouseButton)})
        w->setVisible(state);
    for (QWidget *w : {static_cast<QWidget *>(m_ui->StartRecordButton), static_cast<QWidget *>(m_ui->AddEventButton),
                       static_cast<QWidget *>(m_ui->ReduceEventButton), static_cast<QWidget *>(m_ui->EditEventButton),
                       static_cast<QWidget *>(m_ui->XSpinBox), static_cast<QWidget *>(m_ui->YSpinBox)})
        w->setEnabled(!state);
    for (QAbstractButton *radio : m_editModes.buttons()) {
        radio->setEnabled(true);
        radio->setCheckable(state);
    }
    m_ui->AddCertainButton->setVisible(state);
    m_ui->transparentWidget->setVisible(!state);
    m_ui->EventListWidget->setEnabled(!state);
    m_nodeList.clear();
    m_ui->lineEdit->clear();
    if (state) {
        m_ui->ChangeOrInsertKeyRadioButton->setChecked(true);
        setEditKeyAddDelayTimeState(true, false);
        setSpinBoxUnable();
    } else {
        m_changing = false;
        m_addKey = false;
        m_addDelayTime = false;
        m_ui->lineEdit->setReadOnly(true);
        m_ui->lineEdit->setFocusPolicy(Qt::NoFocus);
        m_ui->lineEdit->setPlaceholderText(QString());
        m_ui->XSpinBox->setValue(0);
        m_ui->YSpinBox->setValue(0);
    }
    updateKeyboardGrab();
}

void MacroEditWidget::slot_ResetPage()
{
    stopRecording();
    if (m_editing)
        EditArrayEditable(false);
}

void MacroEditWidget::setEditKeyAddDelayTimeState(bool addKey, bool addDelayTime)
{
    m_addKey = addKey;
    m_addDelayTime = addDelayTime;
    m_ui->lineEdit->clear();
    m_nodeList.clear();
    if (addKey) {
        m_ui->lineEdit->setValidator(nullptr);
        m_ui->lineEdit->setReadOnly(true);
        m_ui->lineEdit->setFocusPolicy(Qt::NoFocus);
        m_ui->lineEdit->setPlaceholderText(languageText(476));
    } else if (addDelayTime) {
        m_ui->lineEdit->setValidator(new QIntValidator(0, kMaxTypedDelayMs, m_ui->lineEdit));
        m_ui->lineEdit->setReadOnly(false);
        m_ui->lineEdit->setFocusPolicy(Qt::StrongFocus);
        m_ui->lineEdit->setPlaceholderText(languageText(477));
        m_ui->lineEdit->setFocus();
    } else {
        m_ui->lineEdit->setReadOnly(true);
        m_ui->lineEdit->setFocusPolicy(Qt::NoFocus);
        m_ui->lineEdit->setPlaceholderText(QString());
    }
    updateKeyboardGrab();
}

void MacroEditWidget::setSpinBoxUnable()
{
    m_ui->XSpinBox->setEnabled(false);
    m_ui->YSpinBox->setEnabled(false);
}

void MacroEditWidget::on_ChangeOrInsertKeyRadioButton_clicked()
{
    if (!m_editing)
        return;
    setEditKeyAddDelayTimeState(true, false);
    setSpinBoxUnable();
}

void MacroEditWidget::on_ChangeOrInsertDelayTimeRadioButton_clicked()
{
    if (!m_editing)
        return;
    setEditKeyAddDelayTimeState(false, true);
    setSpinBoxUnable();
}

void MacroEditWidget::on_ChangeOrInsetAMousePositionRadioButton_clicked()
{
    if (!m_editing)
        return;
    setEditKeyAddDelayTimeState(false, false);
    m_ui->XSpinBox->setEnabled(true);
    m_ui->YSpinBox->setEnabled(true);
}

void MacroEditWidget::on_AddEventButton_clicked()
{
    sendUiEvent(utf8("新增宏事件"));
    if (currentMacroPath().isEmpty())
        return;
    const int length = calculateMacroListLength(nodesFromRows(eventRows()));
    qDebug() << "on_AddEventButton_clicked" << length;
    if (length >= kMaxMacroLength) {
        qDebug() << "MacroNodeIsTooLong " << length;
        emit sig_ShowWarningWidgetOnMacroEditWidget(Warning::MacroTooLong);
        return;
    }
    enterEdit(false);
}

void MacroEditWidget::on_EditEventButton_clicked()
{
    sendUiEvent(utf8("编辑宏事件"));
    const int row = m_ui->EventListWidget->currentRow();
    if (currentMacroPath().isEmpty() || row < 0) {
        qDebug() << "EditEvent 没有选中行";
        return;
    }
    enterEdit(true);
    // A change keeps the kind of the row: a key stays a key, a delay a delay.
    const EventRow current = eventRows().at(row);
    QAbstractButton *only = m_ui->ChangeOrInsertKeyRadioButton;
    if (current.kind == DelayRow)
        only = m_ui->ChangeOrInsertDelayTimeRadioButton;
    else if (current.kind == MovementRow)
        only = m_ui->ChangeOrInsetAMousePositionRadioButton;
    for (QAbstractButton *radio : m_editModes.buttons())
        radio->setEnabled(radio == only);
    only->setChecked(true);
    if (current.kind == DelayRow) {
        on_ChangeOrInsertDelayTimeRadioButton_clicked();
        m_ui->lineEdit->setText(QString::number(current.value));
    } else if (current.kind == MovementRow) {
        on_ChangeOrInsetAMousePositionRadioButton_clicked();
        m_ui->XSpinBox->setValue(current.x);
        m_ui->YSpinBox->setValue(current.y);
    }
}

void MacroEditWidget::enterEdit(bool changing)
{
    EditArrayEditable(true);
    m_changing = changing;
}

void MacroEditWidget::on_ReduceEventButton_clicked()
{
    sendUiEvent(utf8("删除宏事件"));
    const int row = m_ui->EventListWidget->currentRow();
    if (row < 0) {
        qDebug() << "ReduceEvent 没有选中行";
        return;
    }
    QList<EventRow> rows = eventRows();
    // A press goes with its release: a release left alone would do nothing,
    // a press left alone would hold its key down for good.
    const int partner = partnerRow(rows, row);
    rows.removeAt(std::max(row, partner));
    if (partner >= 0)
        rows.removeAt(std::min(row, partner));
    mergeNeighbouringDelays(rows);
    setEventRows(rows, std::min(row, int(rows.size()) - 1));
    updateMacroFile();
}

void MacroEditWidget::on_AddCertainButton_clicked()
{
    sendUiEvent(utf8("确认按钮"));
    const int row = m_ui->EventListWidget->currentRow();
    qDebug() << "eventList on_AddCertainButton_clicked" << row;
    QList<EventRow> rows = eventRows();
    // An empty macro takes its first event at the top.
    if (row < 0 && !(rows.isEmpty() && !m_changing)) {
        EditArrayEditable(false);
        return;
    }
    const int lengthBefore = calculateMacroListLength(nodesFromRows(rows));
    int current = row;
    QString what;
    bool changed = false;
    if (m_addKey) {
        changed = applyKeyEdit(rows, row, current);
        what = utf8("按键");
    } else if (m_addDelayTime) {
        changed = applyDelayEdit(rows, row, current);
        what = utf8("延时");
    } else {
        changed = applyMovementEdit(rows, row, current);
        what = utf8("坐标");
    }
    const int lengthAfter = calculateMacroListLength(nodesFromRows(rows));
    const bool wasChange = m_changing;
    EditArrayEditable(false);
    if (!changed)
        return;
    if (lengthAfter >= kMaxMacroLength && lengthAfter > lengthBefore) {
        qDebug() << "MacroNodeIsTooLong " << lengthAfter;
        emit sig_ShowWarningWidgetOnMacroEditWidget(Warning::MacroTooLong);
        return;
    }
    setEventRows(rows, current);
    sendOperationEvent((wasChange ? utf8("修改宏事件_") : utf8("增加宏事件_")) + what, QString());
    updateMacroFile();
}

bool MacroEditWidget::applyKeyEdit(QList<EventRow> &rows, int row, int &current)
{
    if (m_nodeList.size() != 2)
        return false;
    if (!m_changing) {
        for (int i = 0; i < 2; ++i) {
            const MacroNode &n = m_nodeList.at(i);
            rows.insert(row + 1 + i, keyRow(n.KeyValue, n.State, n.Text));
        }
        current = row + 2;
        return true;
    }
    if (rows.at(row).kind != KeyRow)
        return false;
    // The press and the release of a key change together, so no key is left down.
    const int partner = partnerRow(rows, row);
    const int state = rows.at(row).state;
    for (const MacroNode &n : qAsConst(m_nodeList)) {
        const int target = n.State == state ? row : partner;
        if (target >= 0)
            rows[target] = keyRow(n.KeyValue, rows.at(target).state, n.Text);
    }
    return true;
}

bool MacroEditWidget::applyDelayEdit(QList<EventRow> &rows, int row, int &current)
{
    const QString text = m_ui->lineEdit->text();
    qDebug() << "on_AddCertainButton_clicked" << text;
    bool ok = false;
    const int ms = text.toInt(&ok);
    if (!ok || ms < 0 || ms > kMaxTypedDelayMs)
        return false;
    if (m_changing) {
        if (rows.at(row).kind != DelayRow)
            return false;
        rows[row].value = ms;
        return true;
    }
    rows.insert(row + 1, delayRow(ms));
    current = row + 1;
    const int merged = mergeNeighbouringDelays(rows);
    if (merged >= 0)
        current = merged;
    return true;
}

bool MacroEditWidget::applyMovementEdit(QList<EventRow> &rows, int row, int &current)
{
    const EventRow movement = movementRow(m_ui->XSpinBox->value(), m_ui->YSpinBox->value());
    if (m_changing) {
        if (rows.at(row).kind != MovementRow)
            return false;
        rows[row] = movement;
        return true;
    }
    rows.insert(row + 1, movement);
    current = row + 1;
    return true;
}

// --- Play options ------------------------------------------------------------------------------

void MacroEditWidget::setPlayModeInFile(int type, const QString &name)
{
    sendUiEvent(name);
    sendOperationEvent(utf8("选择宏播放类型"), name);
    const QString path = currentMacroPath();
    if (path.isEmpty())
        return;
    onWorker([path, type](JsonHandle &json) { return json.setMacroType(path, type); }, path);
}

void MacroEditWidget::on_LoopCount_RadioButton_clicked()
{
    setPlayModeInFile(kPlayLoopCount, utf8("按循环次数播放"));
}

void MacroEditWidget::on_PlayWhenItPressed_RadioButton_clicked()
{
    setPlayModeInFile(kPlayWhileHeld, utf8("按下时播放"));
}

void MacroEditWidget::on_PlayUntilPressAgain_RadioButton_clicked()
{
    setPlayModeInFile(kPlayUntilPressedAgain, utf8("指派按键开/关播放"));
}

void MacroEditWidget::on_RepeatTimesSpinBox_valueChanged(int value)
{
    sendUiEvent(utf8("修改循环次数"));
    const QString path = currentMacroPath();
    if (path.isEmpty())
        return;
    qDebug() << "setMacroRepeateTimesInFile times" << value;
    onWorker([path, value](JsonHandle &json) { return json.setRepeatTimes(path, value); }, path);
}

void MacroEditWidget::on_IgnoreEventWaiteTimeCheckBox_clicked()
{
    const bool ignore = m_ui->IgnoreEventWaiteTimeCheckBox->isChecked();
    sendUiEvent(ignore ? utf8("忽略") : utf8("不忽略"));
    const QString path = currentMacroPath();
    if (path.isEmpty())
        return;
    onWorker([path, ignore](JsonHandle &json) { return json.setIgnoreDelayTime(path, ignore ? 1 : 0); }, path);
}

// --- Analytics ---------------------------------------------------------------------------------
