#include "editors/macro/macroeditwidget.h"

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

namespace {
// Play types of the macro file ("MacroType").
constexpr int kPlayLoopCount = 0;
constexpr int kPlayUntilPressedAgain = 2;
constexpr int kPlayWhileHeld = 4;

// Codes of the three on-screen mouse buttons.
constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;
constexpr int kMiddleButton = 4;

constexpr int kShortEventBytes = 3;
constexpr int kMaxTypedDelayMs = 9999;
constexpr int kMaxRepeatTimes = 65533;
// A node of a hand edit comes with this delay.
constexpr int kEditNodeDelay = 1;

const QSize kEventRowSize(198, 28);

const char kUiEventCategory[] = "UI事件";
const char kOperationCategory[] = "操作事件";
const char kViewScreen[] = "宏页面";

QString utf8(const char *text)
{
    return QString::fromUtf8(text);
}

QString userFolder()
{
    return getPlayerCustomDir();
}
} // namespace

MacroEditWidget::MacroEditWidget(QWidget *parent)
    : QWidget(parent)
    , m_ui(new Ui::MacroEditWidget)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_StyledBackground);
    setFocusPolicy(Qt::StrongFocus);
    for (QWidget *w : {m_ui->MacroBandingWidget, m_ui->MacroBandingWidget_2, m_ui->transparentWidget})
        w->setAttribute(Qt::WA_StyledBackground);

    m_playModes.addButton(m_ui->LoopCount_RadioButton, kPlayLoopCount);
    m_playModes.addButton(m_ui->PlayUntilPressAgain_RadioButton, kPlayUntilPressedAgain);
    m_playModes.addButton(m_ui->PlayWhenItPressed_RadioButton, kPlayWhileHeld);
    m_editModes.addButton(m_ui->ChangeOrInsertKeyRadioButton);
    m_editModes.addButton(m_ui->ChangeOrInsertDelayTimeRadioButton);
    m_editModes.addButton(m_ui->ChangeOrInsetAMousePositionRadioButton);

    m_json = new JsonHandle;
    m_json->moveToThread(&m_jsonThread);
    connect(&m_jsonThread, &QThread::finished, m_json, &QObject::deleteLater);
    m_jsonThread.setObjectName(QStringLiteral("macroFileThread"));
    m_jsonThread.start(QThread::InheritPriority);

    connect(m_ui->MacroNameListWidget, &QListWidget::currentItemChanged, this,
            &MacroEditWidget::slot_currentItemChanged);
    connect(m_ui->MacroNameListWidget, &QListWidget::itemChanged, this,
            &MacroEditWidget::slot_MacroNameEditFinishedfunc);

    EditArrayEditable(false);
    m_ui->RepeatTimesSpinBox->setMaximum(kMaxRepeatTimes);
    m_ui->MacroBandingWidget->hide();
    m_ui->MacroBandingWidget_2->hide();
    for (QWidget *b : {m_ui->LeftMouseButton, m_ui->MidMouseButton, m_ui->RightMouseButton})
        b->hide();
    m_ui->MacroNameListWidget->verticalScrollBar()->setContextMenuPolicy(Qt::NoContextMenu);
    m_ui->EventListWidget->verticalScrollBar()->setContextMenuPolicy(Qt::NoContextMenu);
    setLanguageTexts();
    setMouseType(0);
    slot_reLoadMacroNamelist();
}

MacroEditWidget::~MacroEditWidget()
{
    // A thread that quits drops what is still queued: the writes go first.
    flushFileWrites();
    m_jsonThread.quit();
    m_jsonThread.wait();
    delete m_ui;
}

void MacroEditWidget::setLanguageTexts()
{
    fitButtonText(m_ui->CreateButton, languageText(460), 0.92);
    fitButtonText(m_ui->DeleteButton, languageText(461), 0.92);
    fitButtonText(m_ui->AddEventButton, languageText(462), 0.9);
    fitButtonText(m_ui->ReduceEventButton, languageText(463), 0.9);
    fitButtonText(m_ui->EditEventButton, languageText(464), 0.9);
    fitButtonText(m_ui->AddCertainButton, languageText(465), 0.85);
    fitButtonText(m_ui->ChangeOrInsertKeyRadioButton, languageText(466), 0.85);
    fitButtonText(m_ui->ChangeOrInsertDelayTimeRadioButton, languageText(467), 0.85);
    fitButtonText(m_ui->ChangeOrInsetAMousePositionRadioButton, languageText(468), 0.9);
    fitButtonText(m_ui->IgnoreEventWaiteTimeCheckBox, languageText(469), 0.9);
    fitButtonText(m_ui->LeftMouseButton, languageText(470), 0.85);
    fitButtonText(m_ui->MidMouseButton, languageText(471), 0.85);
    fitButtonText(m_ui->RightMouseButton, languageText(472), 0.85);
    fitButtonText(m_ui->EventListTitleLabel, languageText(474));
    fitButtonText(m_ui->PlayModeLabel, languageText(475));
    fitButtonText(m_ui->LoopCount_RadioButton, languageText(175), 0.85);
    fitButtonText(m_ui->PlayWhenItPressed_RadioButton, languageText(174), 0.9);
    fitButtonText(m_ui->PlayUntilPressAgain_RadioButton, languageText(166), 0.9);
    fitButtonText(m_ui->StartRecordButton, languageText(m_recording ? 296 : 176), 0.9);
}

void MacroEditWidget::setMouseType(int mouseType)
{
    // The OX4 and OX7 series share their series' picture; OX1, OX1S and OX8
    // have their own; the code without a picture set keeps what is shown.
    constexpr int kNoPictureCode = 17;
    if (mouseType == kNoPictureCode)
        return;
    QString picture = QStringLiteral(":/picture/picture/bg_macro.png");
    QString folder;
    if (isOx4Series(mouseType))
        folder = QStringLiteral("ox4");
    else if (isOx7Series(mouseType))
        folder = QStringLiteral("ox7");
    else if (isOx1Series(mouseType) || mouseType == Ox8)
        folder = QLatin1String(modelRow(mouseType).pictureFolder);
    if (!folder.isEmpty())
        picture = QStringLiteral(":/picture/%1/picture/%2/bg_macro.png").arg(folder, folder.toUpper());
    setStyleSheet(QStringLiteral("QWidget#MacroEditWidget{border-image: url(%1);}").arg(picture));
}

// --- The macro-file handler ----------------------------------------------------------------

void MacroEditWidget::onWorker(std::function<bool(JsonHandle &)> write, const QString &path)
{
    JsonHandle *json = m_json;
    QPointer<MacroEditWidget> self(this);
    QMetaObject::invokeMethod(
        json,
        [json, self, write = std::move(write), path] {
            if (write(*json))
                return;
            // Back to the page, which may have gone meanwhile.
            QMetaObject::invokeMethod(
                qApp, [self, path] {
                    if (self)
                        self->slot_fileWriteFailed(path);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void MacroEditWidget::onWorkerAndWait(const std::function<void(JsonHandle &)> &work)
{
    JsonHandle *json = m_json;
    QMetaObject::invokeMethod(json, [json, &work] { work(*json); }, Qt::BlockingQueuedConnection);
}

void MacroEditWidget::flushFileWrites()
{
    onWorkerAndWait([](JsonHandle &) {});
}

void MacroEditWidget::slot_fileWriteFailed(const QString &path)
{
    qDebug() << "macro file not written" << path;
    // A macro whose file could not even be created is no macro.
    if (QFileInfo::exists(path))
        return;
    for (int i = 0; i < m_ui->MacroNameListWidget->count(); ++i) {
        QListWidgetItem *item = m_ui->MacroNameListWidget->item(i);
        if (item->data(kItemRole).toString() == path) {
            delete m_ui->MacroNameListWidget->takeItem(i);
            break;
        }
    }
}

// --- Library ---------------------------------------------------------------------------------

void MacroEditWidget::loadFolders()
{
    userFolder(); // the user's folder is always there to choose
    m_folders = macrolibrary::folderNames(getMacroFilesDir());
    const QSignalBlocker blocker(m_ui->MacroTitleComboBox);
    const QString shown = m_ui->MacroTitleComboBox->currentText();
    m_ui->MacroTitleComboBox->clear();
    m_ui->MacroTitleComboBox->addItems(m_folders);
    const int at = m_ui->MacroTitleComboBox->findText(shown);
    if (at >= 0)
        m_ui->MacroTitleComboBox->setCurrentIndex(at);
}

void MacroEditWidget::slot_reLoadMacroNamelist()
{
    if (m_recording || m_editing)
        return;
    loadFolders();
    const int at = m_ui->MacroTitleComboBox->findText(QLatin1String(macrolibrary::kUserFolderName));
    {
        const QSignalBlocker blocker(m_ui->MacroTitleComboBox);
        if (at >= 0)
            m_ui->MacroTitleComboBox->setCurrentIndex(at);
    }
    loadNameList(userFolder());
}

void MacroEditWidget::on_MacroTitleComboBox_currentTextChanged(const QString &text)
{
    if (text.isEmpty())
        return;
    loadNameList(getMacroFilesDir() + QLatin1Char('/') + text);
}

void MacroEditWidget::loadNameList(const QString &path)
{
    m_loading = true;
    deleteListWidgetAllItem();
    m_ui->MacroNameListWidget->clear();
    const QStringList files = macrolibrary::macroFiles(path);
    QStringList names;
    onWorkerAndWait([&](JsonHandle &json) {
        for (const QString &file : files)
            names.append(macrolibrary::macroName(json, file));
    });
    const bool editable = macrolibrary::isSameFolder(path, userFolder());
    for (int i = 0; i < files.size(); ++i) {
        auto *item = new QListWidgetItem(names.at(i), m_ui->MacroNameListWidget);
        item->setData(kItemRole, files.at(i));
        item->setToolTip(names.at(i));
        item->setTextAlignment(Qt::AlignCenter);
        if (editable)
            item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    m_loading = false;
}

QString MacroEditWidget::currentMacroPath() const
{
    const QListWidgetItem *item = m_ui->MacroNameListWidget->currentItem();
    return item ? item->data(kItemRole).toString() : QString();
}

void MacroEditWidget::on_CreateButton_clicked()
{
    sendUiEvent(utf8("新建宏"));
    const QString folder = userFolder();
    if (!QFileInfo(folder).isDir()) {
        qDebug() << "on_CreateButton_clicked: no macro folder" << folder;
        return;
    }
    const int userIndex = m_ui->MacroTitleComboBox->findText(QLatin1String(macrolibrary::kUserFolderName));
    if (userIndex >= 0 && m_ui->MacroTitleComboBox->currentIndex() != userIndex)
        m_ui->MacroTitleComboBox->setCurrentIndex(userIndex); // lists the user's macros
    const QString path = macrolibrary::newMacroFilePath(folder, QDateTime::currentDateTime());
    if (path.isEmpty())
        return;
    const QString name = languageText(294);
    onWorker([path, name](JsonHandle &json) { return json.setMacroName(path, name); }, path);

    m_loading = true;
    auto *item = new QListWidgetItem(name, m_ui->MacroNameListWidget);
    item->setData(kItemRole, path);
    item->setTextAlignment(Qt::AlignCenter);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    m_loading = false;
    m_ui->MacroNameListWidget->setCurrentItem(item);
    m_ui->MacroNameListWidget->editItem(item);
}

void MacroEditWidget::slot_MacroNameEditFinishedfunc(QListWidgetItem *item)
{
    if (m_loading || !item)
        return;
    const QString path = item->data(kItemRole).toString();
    const QString name = macrolibrary::cleanMacroName(item->text());
    m_loading = true;
    if (name.isEmpty()) {
        // An empty name is no name: the file keeps its own.
        QString old;
        onWorkerAndWait([&](JsonHandle &json) { old = macrolibrary::macroName(json, path); });
        item->setText(old);
    } else {
        item->setText(name);
        item->setToolTip(name);
        onWorker([path, name](JsonHandle &json) { return json.setMacroName(path, name); }, path);
    }
    m_loading = false;
}

void MacroEditWidget::on_DeleteButton_clicked()
{
    sendUiEvent(utf8("删除宏"));
    QListWidgetItem *item = m_ui->MacroNameListWidget->currentItem();
    if (!item)
        return;
    const QString path = item->data(kItemRole).toString();
    // Only the user's own macros go; the other folders are the library's.
    if (!macrolibrary::isDirectlyInside(path, userFolder())) {
        qDebug() << "on_DeleteButton_clicked: not a macro of the user's folder" << path;
        return;
    }
    delete m_ui->MacroNameListWidget->takeItem(m_ui->MacroNameListWidget->row(item));
    deleteFile(path);
    if (!m_ui->MacroNameListWidget->currentItem())
        deleteListWidgetAllItem();
}

void MacroEditWidget::deleteFile(const QString &path)
{
    onWorker([path](JsonHandle &) { return QFile::remove(path) || !QFileInfo::exists(path); }, path);
}

void MacroEditWidget::slot_currentItemChanged(QListWidgetItem *current, QListWidgetItem *)
{
    if (m_loading || !current)
        return;
    loadEventList(current->data(kItemRole).toString());
}

void MacroEditWidget::on_MacroNameListWidget_itemPressed(QListWidgetItem *item)
{
    if (item && item == m_ui->MacroNameListWidget->currentItem())
        loadEventList(item->data(kItemRole).toString());
}

void MacroEditWidget::on_MacroNameListWidget_itemActivated(QListWidgetItem *item)
{
    on_MacroNameListWidget_itemPressed(item);
}

void MacroEditWidget::loadEventList(const QString &path)
{
    if (m_recording || m_editing)
        return;
    qDebug() << "EventList" << path;
    QList<MacroNode> nodes;
    int type = 0;
    int repeat = 1;
    int ignore = 0;
    onWorkerAndWait([&](JsonHandle &json) {
        nodes = json.readMacroNodeList(path);
        type = json.getMacroType(path);
        repeat = json.getMacroRepeatTimes(path);
        ignore = json.getIgnoreDelayTime(path);
    });

    deleteListWidgetAllItem();
    setEventRows(rowsFromNodes(nodes), -1);

    const QSignalBlocker blockRepeat(m_ui->RepeatTimesSpinBox);
    m_ui->RepeatTimesSpinBox->setValue(std::clamp(repeat, 1, kMaxRepeatTimes));
    m_ui->IgnoreEventWaiteTimeCheckBox->setChecked(ignore != 0);
    QAbstractButton *mode = m_playModes.button(type);
    (mode ? mode : m_ui->LoopCount_RadioButton)->setChecked(true);
}

void MacroEditWidget::deleteListWidgetAllItem()
{
    m_ui->EventListWidget->clear();
    m_nodeList.clear();
}

// --- Event rows --------------------------------------------------------------------------------

void MacroEditWidget::addEventRow(const EventRow &row, int at)
{
    auto *item = new QListWidgetItem;
    item->setData(kItemRole, row.toMap());
    item->setSizeHint(kEventRowSize);
    switch (row.kind) {
    case DelayRow:
        item->setText(QString::number(row.value) + QStringLiteral("ms"));
        item->setIcon(QIcon(QStringLiteral(":/picture/picture/macro_icon_time.png")));
        break;
    case MovementRow:
        item->setText(QStringLiteral("(%1,%2)").arg(row.x).arg(row.y));
        item->setIcon(QIcon(QStringLiteral(":/picture/picture/macro_icon_top copy.png")));
        break;
    default:
        item->setText(row.text);
        item->setIcon(QIcon(row.state == kPressed ? QStringLiteral(":/picture/picture/macro_icon_fall.png")
                                                  : QStringLiteral(":/picture/picture/macro_icon_top.png")));
        break;
    }
    QListWidget *list = m_ui->EventListWidget;
    if (at < 0 || at > list->count())
        list->addItem(item);
    else
        list->insertItem(at, item);
}

QList<EventRow> MacroEditWidget::eventRows() const
{
    QList<EventRow> rows;
    for (int i = 0; i < m_ui->EventListWidget->count(); ++i)
        rows.append(EventRow::fromMap(m_ui->EventListWidget->item(i)->data(kItemRole).toMap()));
    return rows;
}

void MacroEditWidget::setEventRows(const QList<EventRow> &rows, int currentRow)
{
    m_ui->EventListWidget->clear();
    for (const EventRow &row : rows)
        addEventRow(row);
    if (currentRow >= 0 && currentRow < rows.size()) {
        m_ui->EventListWidget->setCurrentRow(currentRow);
        m_ui->EventListWidget->scrollToItem(m_ui->EventListWidget->item(currentRow));
    }
}

void MacroEditWidget::checkIsTwoNormalTime()
{
    qDebug() << "checkIsTwoNormalTime currentLength" << m_ui->EventListWidget->count();
    QList<EventRow> rows = eventRows();
    const int merged = mergeNeighbouringDelays(rows);
    if (merged >= 0)
        setEventRows(rows, merged);
}

void MacroEditWidget::updateMacroFile()
{
    const QString path = currentMacroPath();
    if (path.isEmpty()) {
        qDebug() << "updateMacroFile 没有选中文件";
        return;
    }
    qDebug() << "updateMacroFile currentLength" << m_ui->EventListWidget->count();
    const QList<MacroNode> nodes = nodesFromRows(eventRows());
    const int repeat = m_ui->RepeatTimesSpinBox->value();
    const int type = m_playModes.checkedId();
    const int length = calculateMacroListLength(nodes);
    onWorker(
        [path, nodes, repeat, type, length](JsonHandle &json) {
            // The repeat count first: it makes an object of a file that is gone.
            bool ok = json.setRepeatTimes(path, repeat);
            ok = json.writeMacroNodeList(path, nodes) && ok;
            ok = json.setMacroLength(path, length) && ok;
            if (type >= 0)
                ok = json.setMacroType(path, type) && ok;
            return ok;
        },
        path);
}

// --- Recording ---------------------------------------------------------------------------------

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

void MacroEditWidget::sendUiEvent(const QString &action)
{
    emit sig_SendEventMessageToGA(utf8(kUiEventCategory), action, QStringLiteral("Mouse"), utf8(kViewScreen));
}

void MacroEditWidget::sendOperationEvent(const QString &action, const QString &label)
{
    emit sig_SendEventMessageToGA(utf8(kOperationCategory), action, label.isEmpty() ? action : label, QString());
}
