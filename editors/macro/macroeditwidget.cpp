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

void MacroEditWidget::sendUiEvent(const QString &action)
{
    emit sig_SendEventMessageToGA(utf8(kUiEventCategory), action, QStringLiteral("Mouse"), utf8(kViewScreen));
}

void MacroEditWidget::sendOperationEvent(const QString &action, const QString &label)
{
    emit sig_SendEventMessageToGA(utf8(kOperationCategory), action, label.isEmpty() ? action : label, QString());
}
