#include "editors/keysetting/keysettingdialog.h"

#include "config/languagetable.h"
#include "config/paths.h"
#include "config/warningtype.h"
#include "device/keytables.h"
#include "editors/keysetting/form.h"
#include "editors/keysetting/keyassignment.h"
#include "editors/macro/macrolibrary.h"
#include "editors/textfit.h"
#include "platform/keymap.h"
#include "ui_keysettingdialog.h"

#include <QCheckBox>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QStandardPaths>

using namespace keyassignment;

namespace {
enum PageIndex { CombinationPage = 0, MacroPage = 1, BasicPage = 2, AdvancedPage = 3 };

// Play type of a macro that plays while its button is held.
constexpr int kPlayWhileHeld = 4;
constexpr int kListMacrosButton = 4;
const QSize kFolderRowSize(185, 28);
constexpr int kMacroRowHeight = 38;

const char kUiEventCategory[] = "UI事件";
const char kOperationCategory[] = "操作事件";
const char kViewScreen[] = "改键页面";
const char kButtonSuffix[] = "按钮";

const QString kTabStyle = QStringLiteral("QPushButton{background:transparent;color:#848484;}");
const QString kSelectedTabStyle = QStringLiteral(
    "QPushButton{background:transparent;border-image: url(:/picture/picture/key_select.png);color:white;}");

QString utf8(const char *text)
{
    return QString::fromUtf8(text);
}
} // namespace

KeySettingDialog::KeySettingDialog(QWidget *parent, int mouseType)
    : QDialog(parent)
    , m_ui(new Ui::KeySettingDialog)
    , m_mouseType(mouseType)
    , m_macroRoot(getConfigFilesDir() + QStringLiteral("/MacroFiles/"))
{
    m_ui->setupUi(this);
    // Frameless alone makes the dialog an overlay laid over the window.
    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("QDialog#KeySettingDialog{background:rgba(0,0,0,0.8);}"));
    m_ui->KeySettingWidget->setAttribute(Qt::WA_StyledBackground);
    setFocusPolicy(Qt::StrongFocus);
    setFocus();
    setPage(CombinationPage);

    loadMacroTitleListWidget();
    setHighFunctionWidgetUnable();
    m_ui->HighestFunctionButton->hide();
    for (QListWidget *list : {m_ui->MacroTitleListWidget, m_ui->MacroNameListWidget, m_ui->BasicFuctionListWidget})
        list->verticalScrollBar()->setContextMenuPolicy(Qt::NoContextMenu);
    setLanguageTexts();
}

KeySettingDialog::~KeySettingDialog()
{
    delete m_ui;
}

void KeySettingDialog::setLanguageTexts()
{
    // The factors leave out what the style's padding and the indicators take.
    fitButtonText(m_ui->ConbinationKeyButton, languageText(121), 0.85);
    fitButtonText(m_ui->MarcoEditButton, languageText(122), 0.85);
    fitButtonText(m_ui->BasicFunctionButton, languageText(123), 0.85);
    fitButtonText(m_ui->HighestFunctionButton, languageText(124), 0.85);
    fitButtonText(m_ui->BackToDefalutButton, languageText(150), 0.88);
    fitButtonText(m_ui->OKButton, languageText(116), 0.7);
    fitButtonText(m_ui->ForbidenPressKeyCheckBox, languageText(149), 0.88);
    m_ui->KeyHintLabel->setText(languageText(429));
    fitButtonText(m_ui->MacroFolderLabel, languageText(430));
    fitButtonText(m_ui->MacroListLabel, languageText(473));
    fitButtonText(m_ui->PlayMusicCheckBox, languageText(424), 0.88);
    fitButtonText(m_ui->StartProgramCheckBox, languageText(425), 0.88);
    fitButtonText(m_ui->OpenFileCheckBox, languageText(426), 0.88);
    fitButtonText(m_ui->OpenDirectoryCheckBox, languageText(427), 0.88);
    for (QWidget *browse : {static_cast<QWidget *>(m_ui->PlayMusicButton), static_cast<QWidget *>(m_ui->StartProgramButton),
                            static_cast<QWidget *>(m_ui->OpenFileButton),
                            static_cast<QWidget *>(m_ui->OpenDirectoryButton)})
        fitButtonText(browse, languageText(428), 0.76);
}

// --- What the window tells the dialog ---------------------------------------------------

void KeySettingDialog::setChangedButton(int button)
{
    m_button = button;
    fillBasicList();
    m_title = buttonName(button, m_mouseType);
    fitButtonText(m_ui->ShowTitleButton, m_title);
    m_maxChecked = maxCheckedMacros(button, m_mouseType);
}

void KeySettingDialog::fillBasicList()
{
    QListWidget *list = m_ui->BasicFuctionListWidget;
    list->clear();
    for (int row : basicRowsForButton(m_button, m_mouseType)) {
        const BasicFunctionRow *r = basicFunctionRow(row);
        auto *item = new QListWidgetItem(basicFunctionRowText(*r), list);
        item->setData(Qt::UserRole, row);
    }
}

void KeySettingDialog::setTrueMouseValue(int changeType, int trueValue, int modifyKey)
{
    qDebug() << "setTrueMouseValue changeType trueMouseValue " << changeType << trueValue;
    m_trueValueText.clear();
    m_ui->TrueMouseValueLabel->clear();
    m_ui->TrueMouseValueLabel->show();
    if (changeType == -1) {
        m_ui->TrueMouseValueLabel->hide();
        return;
    }
    m_trueValueText = trueMouseValueText(changeType, trueValue, modifyKey);
    fitButtonText(m_ui->TrueMouseValueLabel, m_trueValueText);
}

void KeySettingDialog::showEvent(QShowEvent *event)
{
    ensurePolished();
    setLanguageTexts();
    fitButtonText(m_ui->ShowTitleButton, m_title);
    if (!m_trueValueText.isEmpty())
        fitButtonText(m_ui->TrueMouseValueLabel, m_trueValueText);
    QDialog::showEvent(event);
}

// --- Tabs -------------------------------------------------------------------------------

void KeySettingDialog::setPage(int type)
{
    const QList<QPushButton *> tabs{m_ui->ConbinationKeyButton, m_ui->MarcoEditButton, m_ui->BasicFunctionButton,
                                    m_ui->HighestFunctionButton};
    if (type < 0 || type >= tabs.size())
        return;
    for (QPushButton *tab : tabs)
        tab->setStyleSheet(kTabStyle);
    m_ui->stackedWidget->setCurrentIndex(type);
    tabs.at(type)->setStyleSheet(kSelectedTabStyle);
}

void KeySettingDialog::on_ConbinationKeyButton_clicked()
{
    setPage(CombinationPage);
}

void KeySettingDialog::on_MarcoEditButton_clicked()
{
    setPage(MacroPage);
}

void KeySettingDialog::on_BasicFunctionButton_clicked()
{
    setPage(BasicPage);
}

void KeySettingDialog::on_HighestFunctionButton_clicked()
{
    setPage(AdvancedPage);
}

// --- Key capture --------------------------------------------------------------------------

void KeySettingDialog::keyPressEvent(QKeyEvent *event)
{
    const WindowsKey key = windowsKeyForEvent(*event);
    qDebug("keyPressEvent 0x%x", unsigned(key.virtualKey));
    event->accept();
    // A held modifier repeats; each repeat would flip its box again.
    if (m_ui->stackedWidget->currentIndex() != CombinationPage || event->isAutoRepeat())
        return;
    setFocus();
    m_capturedKey = 0;
    switch (key.virtualKey) {
    case 16: case 160: case 161:
        setCheckBoxCheckState(m_ui->ShiftCheckBox);
        break;
    case 17: case 162: case 163:
        setCheckBoxCheckState(m_ui->CtrlCheckBox);
        break;
    case 18: case 164: case 165:
        setCheckBoxCheckState(m_ui->AltCheckBox);
        break;
    case 91: case 92:
        setCheckBoxCheckState(m_ui->WinCheckBox);
        break;
    default:
        m_capturedKey = key.virtualKey;
        m_ui->KeyCombinationLineEdit->setText(virtualKeyName(key.virtualKey));
        return;
    }
    // A modifier is no key: the key must be the last one pressed.
    m_ui->KeyCombinationLineEdit->clear();
}

bool KeySettingDialog::focusNextPrevChild(bool next)
{
    if (m_ui->stackedWidget->currentIndex() == CombinationPage)
        return false;
    return QDialog::focusNextPrevChild(next);
}

void KeySettingDialog::setCheckBoxCheckState(QCheckBox *box)
{
    box->setChecked(!box->isChecked());
}

int KeySettingDialog::countModifyValue() const
{
    int mask = 0;
    if (m_ui->CtrlCheckBox->isChecked())
        mask |= kCtrl;
    if (m_ui->ShiftCheckBox->isChecked())
        mask |= kShift;
    if (m_ui->AltCheckBox->isChecked())
        mask |= kAlt;
    if (m_ui->WinCheckBox->isChecked())
        mask |= kWin;
    return mask;
}

// --- Macro library ------------------------------------------------------------------------

void KeySettingDialog::loadMacroTitleListWidget()
{
    deleteListWidgetAllItem(m_ui->MacroTitleListWidget);
    for (const QString &folder : macrolibrary::folderNames(m_macroRoot))
        addMacroTitleWidgetItem(folder, m_ui->MacroTitleListWidget, m_macroRoot + folder);
}

void KeySettingDialog::addMacroTitleWidgetItem(const QString &text, QListWidget *list, const QString &path)
{
    auto *item = new QListWidgetItem(text, list);
    item->setSizeHint(kFolderRowSize);
    item->setData(Qt::UserRole, path);
    item->setToolTip(text);
}

void KeySettingDialog::addMacroListWigetItem(const QString &text, QListWidget *list, const QString &path)
{
    auto *item = new QListWidgetItem(list);
    item->setSizeHint(QSize(list->viewport()->width(), kMacroRowHeight));
    auto *row = new Form(list);
    row->setRow(list->row(item));
    row->setPath(path);
    row->setText(text);
    connect(row, &Form::sig_rowSelected, this, &KeySettingDialog::slot_SetMacroListWidgetItemSelected);
    connect(row, &Form::sig_countChecked, this, &KeySettingDialog::slot_CheckIsOutOfMacroCheckRange);
    list->setItemWidget(item, row);
    m_macroRows.append(row);
}

void KeySettingDialog::deleteListWidgetAllItem(QListWidget *list)
{
    if (list == m_ui->MacroNameListWidget)
        m_macroRows.clear();
    list->clear();
}

void KeySettingDialog::on_MacroTitleListWidget_itemClicked(QListWidgetItem *item)
{
    if (!item)
        return;
    deleteListWidgetAllItem(m_ui->MacroNameListWidget);
    for (const QString &path : macrolibrary::macroFiles(item->data(Qt::UserRole).toString()))
        addMacroListWigetItem(macrolibrary::macroName(m_json, path), m_ui->MacroNameListWidget, path);
}

void KeySettingDialog::on_MacroNameListWidget_itemClicked(QListWidgetItem *item)
{
    const int row = m_ui->MacroNameListWidget->row(item);
    if (row < 0 || row >= m_macroRows.size())
        return;
    Form *form = m_macroRows.at(row);
    if (!form->isChecked() && countMacroCheckedNumber() >= m_maxChecked)
        return;
    form->toggle();
}

void KeySettingDialog::slot_SetMacroListWidgetItemSelected(int row)
{
    qDebug() << "MacroListWidgetSelected" << row;
    m_ui->MacroNameListWidget->setCurrentRow(row);
}

void KeySettingDialog::slot_CheckIsOutOfMacroCheckRange()
{
    if (countMacroCheckedNumber() >= m_maxChecked)
        removeFirstSelectedStaeInFormList();
}

void KeySettingDialog::removeFirstSelectedStaeInFormList()
{
    for (Form *row : qAsConst(m_macroRows)) {
        if (row->isChecked()) {
            row->setChecked(false);
            return;
        }
    }
}

int KeySettingDialog::countMacroCheckedNumber() const
{
    return int(std::count_if(m_macroRows.cbegin(), m_macroRows.cend(), [](const Form *f) { return f->isChecked(); }));
}

QString KeySettingDialog::getMacroSinglePath() const
{
    for (const Form *row : m_macroRows) {
        if (row->isChecked())
            return row->path();
    }
    return QString();
}

QStringList KeySettingDialog::getMacroListPath() const
{
    QStringList paths;
    for (const Form *row : m_macroRows) {
        if (row->isChecked())
            paths.append(row->path());
    }
    return paths;
}

// --- OK, back to default, close -------------------------------------------------------------

void KeySettingDialog::on_OKButton_clicked()
{
    if (m_ui->ForbidenPressKeyCheckBox->isChecked()) {
        sendUiEvent(languageText(149) + utf8(kButtonSuffix));
        emit sig_ButtonChangeToKey(m_button, 0, 0, kDisabled);
        sendOperationEvent(utf8("改键禁用按键"), QString());
        close();
        return;
    }
    switch (m_ui->stackedWidget->currentIndex()) {
    case CombinationPage:
        sendUiEvent(utf8("改键_普通按键按钮"));
        m_modifierBits = countModifyValue();
        if (m_capturedKey != 0 || m_modifierBits != 0) {
            emit sig_ButtonChangeToKey(m_button, uint(m_capturedKey), uint(m_modifierBits), kCombination);
            qDebug() << "改单键" << m_capturedKey << m_modifierBits;
            sendOperationEvent(utf8("改键_普通按键"), combinationDetail(m_modifierBits, m_capturedKey));
        }
        break;
    case MacroPage:
        sendUiEvent(utf8("改键_宏按钮"));
        writeMacroChoice();
        break;
    case BasicPage:
        sendUiEvent(utf8("改键_基本功能按钮"));
        setKeyToBasicFunction();
        break;
    case AdvancedPage:
        setKeyToHighestFunction();
        break;
    default:
        break;
    }
    close();
}

void KeySettingDialog::writeMacroChoice()
{
    qDebug() << "设置宏" << m_button;
    if (m_button == kListMacrosButton) {
        const QStringList paths = getMacroListPath();
        if (paths.size() == 1)
            writeSingleMacro(paths.first());
        else if (paths.size() > 1)
            writeListMacro(paths);
        return;
    }
    const QString path = getMacroSinglePath();
    if (path.isEmpty())
        return;
    if (refusesWhileHeldMacro(m_button, m_mouseType) && m_json.getMacroType(path) == kPlayWhileHeld) {
        emit sig_ShowWarningDialog(Warning::MacroPlayModeRefused);
        return;
    }
    writeSingleMacro(path);
}

void KeySettingDialog::writeSingleMacro(const QString &path)
{
    close();
    if (m_json.getMacroCount(path) == 0) {
        emit sig_ShowWarningDialog(Warning::EmptyMacro);
        return;
    }
    emit sig_WriteSingleMacro(m_button, path);
    sendOperationEvent(utf8("改键_宏"), utf8("单宏"));
}

void KeySettingDialog::writeListMacro(const QStringList &paths)
{
    close();
    for (const QString &path : paths) {
        if (m_json.getMacroCount(path) == 0) {
            emit sig_ShowWarningDialog(Warning::EmptyMacroInList);
            return;
        }
    }
    qDebug() << "writeListMacro copyPathList" << paths.size();
    emit sig_WriteListMacro(paths);
    sendOperationEvent(utf8("改键_宏"), utf8("压枪宏"));
}

void KeySettingDialog::setKeyToBasicFunction()
{
    const QListWidgetItem *item = m_ui->BasicFuctionListWidget->currentItem();
    const BasicFunctionRow *row = item ? basicFunctionRow(item->data(Qt::UserRole).toInt()) : nullptr;
    if (!row)
        return;
    emit sig_ButtonChangeToKey(m_button, uint(row->trueValue), uint(row->modifier), row->changeType);
    sendOperationEvent(utf8("改键_基本功能"), basicFunctionRowText(*row));
}

void KeySettingDialog::setKeyToHighestFunction()
{
    // The device layer has no change type for the advanced actions: the
    // button gets its factory function back.
    emit sig_ButtonChangeToKey(m_button, uint(m_capturedKey), uint(m_modifierBits), kBackToDefault);
}

void KeySettingDialog::on_BackToDefalutButton_clicked()
{
    sendUiEvent(languageText(150) + utf8(kButtonSuffix));
    emit sig_ButtonChangeToKey(m_button, uint(m_capturedKey), uint(m_modifierBits), kBackToDefault);
    sendOperationEvent(utf8("改键_恢复默认"), QString());
    close();
}

void KeySettingDialog::on_CloseBattaryButton_clicked()
{
    sendUiEvent(utf8("关闭按钮"));
    close();
}

// --- Advanced page ------------------------------------------------------------------------

void KeySettingDialog::setHighFunctionWidgetUnable()
{
    for (QPushButton *b : {m_ui->PlayMusicButton, m_ui->StartProgramButton, m_ui->OpenFileButton,
                           m_ui->OpenDirectoryButton})
        b->setEnabled(false);
}

void KeySettingDialog::advancedCheckBoxClicked(QCheckBox *box)
{
    for (QLineEdit *edit : {m_ui->PlayMusicLineEdit, m_ui->StartProgramLineEdit, m_ui->OpenFileLineEdit,
                            m_ui->OpenDirectoryLineEdit})
        edit->clear();
    setHighFunctionWidgetUnable();
    if (box == m_ui->PlayMusicCheckBox)
        m_ui->PlayMusicButton->setEnabled(true);
    else if (box == m_ui->StartProgramCheckBox)
        m_ui->StartProgramButton->setEnabled(true);
    else if (box == m_ui->OpenFileCheckBox)
        m_ui->OpenFileButton->setEnabled(true);
    else if (box == m_ui->OpenDirectoryCheckBox)
        m_ui->OpenDirectoryButton->setEnabled(true);
}

void KeySettingDialog::on_PlayMusicCheckBox_clicked()
{
    advancedCheckBoxClicked(m_ui->PlayMusicCheckBox);
}

void KeySettingDialog::on_StartProgramCheckBox_clicked()
{
    advancedCheckBoxClicked(m_ui->StartProgramCheckBox);
}

void KeySettingDialog::on_OpenFileCheckBox_clicked()
{
    advancedCheckBoxClicked(m_ui->OpenFileCheckBox);
}

void KeySettingDialog::on_OpenDirectoryCheckBox_clicked()
{
    advancedCheckBoxClicked(m_ui->OpenDirectoryCheckBox);
}

void KeySettingDialog::on_PlayMusicButton_clicked()
{
    const QString path = QFileDialog::getOpenFileName(
        this, languageText(424), QStandardPaths::writableLocation(QStandardPaths::MusicLocation),
        QStringLiteral("*.wav"));
    if (!path.isEmpty())
        m_ui->PlayMusicLineEdit->setText(path);
}

void KeySettingDialog::on_StartProgramButton_clicked()
{
    const QString path = QFileDialog::getOpenFileName(this, languageText(425), QStringLiteral("/usr/bin"));
    if (!path.isEmpty())
        m_ui->StartProgramLineEdit->setText(path);
}

void KeySettingDialog::on_OpenFileButton_clicked()
{
    const QString path = QFileDialog::getOpenFileName(this, languageText(426), QDir::homePath());
    if (!path.isEmpty())
        m_ui->OpenFileLineEdit->setText(path);
}

void KeySettingDialog::on_OpenDirectoryButton_clicked()
{
    const QString path = QFileDialog::getExistingDirectory(this, languageText(427), QDir::homePath(),
                                                           QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (!path.isEmpty())
        m_ui->OpenDirectoryLineEdit->setText(path);
}

// --- Analytics ----------------------------------------------------------------------------

void KeySettingDialog::sendUiEvent(const QString &action)
{
    emit sig_SendEventMessageToGA(utf8(kUiEventCategory), action, QStringLiteral("Mouse"), utf8(kViewScreen));
}

void KeySettingDialog::sendOperationEvent(const QString &action, const QString &detail)
{
    const QString label = detail.isEmpty() ? action : action + QLatin1Char('_') + detail;
    emit sig_SendEventMessageToGA(utf8(kOperationCategory), action + QLatin1Char('_') + buttonName(m_button, m_mouseType),
                                  label, QString());
}
