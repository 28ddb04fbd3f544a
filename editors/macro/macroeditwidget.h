#pragma once

#include "config/macronode.h"
#include "editors/macro/macroevents.h"

#include <QButtonGroup>
#include <QList>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QWidget>

#include <functional>

namespace Ui {
class MacroEditWidget;
}

class JsonHandle;
class QListWidgetItem;

// The macro page of the main window: the macro library (folders, and the
// user's own macros to create, rename and delete), recording keys and the
// three on-screen mouse buttons with the delays between them, editing the
// events by hand, and the play options. Every change is written to the
// macro's file at once. The rules of the event rows are macroevents'.
//
// GUI thread. The macro files are read and written by a JsonHandle on a
// worker thread of the page's own: writes are queued in order, reads wait
// for the writes queued before them, so the page always reads what it wrote.
class MacroEditWidget : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kMaxMacroLength = macroevents::kMaxMacroLength;
    // Role of the list items' data: an event row's map, a macro's file path.
    static constexpr int kItemRole = 6;

    explicit MacroEditWidget(QWidget *parent = nullptr);
    ~MacroEditWidget() override;

    // The per-model background.
    void setMouseType(int mouseType);

    bool isRecording() const { return m_recording; }
    bool isEditing() const { return m_editing; }
    // Path of the current macro; empty when none.
    QString currentMacroPath() const;
    // The event list as rows.
    QList<macroevents::EventRow> eventRows() const;
    // Waits until every queued file write has reached the disk.
    void flushFileWrites();

    static int calculateMacroNodeLength(int time) { return macroevents::calculateMacroNodeLength(time); }
    static int calculateMacroListLength(const QList<MacroNode> &nodes)
    {
        return macroevents::calculateMacroListLength(nodes);
    }
    // Scan codes of the left and right Ctrl, Shift and Alt name their own
    // virtual keys, whatever generic code came with them.
    static void turnShortCutScanCodeToVirtualCode(int scanCode, int &virtualCode);
    static MacroNode createKeyButtonNode(int keyCode, int state, int time);

signals:
    void sig_HeaderButtonEnable(bool state);
    void sig_ShowWarningWidgetOnMacroEditWidget(int type);
    void sig_BanClickTopButton(bool state, bool isTransparent);
    void sig_SendEventMessageToGA(const QString &category, const QString &action, const QString &Label,
                                  const QString &viewScreen);

public slots:
    void slot_reLoadMacroNamelist();
    void EditArrayEditable(bool state);
    // Back to idle (device removed): a recording ends and is saved, an edit
    // is dropped.
    void slot_ResetPage();

private slots:
    void slot_MacroNameEditFinishedfunc(QListWidgetItem *item);
    void slot_currentItemChanged(QListWidgetItem *current, QListWidgetItem *previous);
    void slot_fileWriteFailed(const QString &path);
    void on_CreateButton_clicked();
    void on_DeleteButton_clicked();
    void on_AddEventButton_clicked();
    void on_ReduceEventButton_clicked();
    void on_EditEventButton_clicked();
    void on_StartRecordButton_clicked();
    void on_MacroTitleComboBox_currentTextChanged(const QString &text);
    void on_MacroNameListWidget_itemPressed(QListWidgetItem *item);
    void on_MacroNameListWidget_itemActivated(QListWidgetItem *item);
    void on_AddCertainButton_clicked();
    void on_ChangeOrInsertKeyRadioButton_clicked();
    void on_ChangeOrInsertDelayTimeRadioButton_clicked();
    void on_ChangeOrInsetAMousePositionRadioButton_clicked();
    void on_RepeatTimesSpinBox_valueChanged(int value);
    void on_IgnoreEventWaiteTimeCheckBox_clicked();
    void on_LoopCount_RadioButton_clicked();
    void on_PlayWhenItPressed_RadioButton_clicked();
    void on_PlayUntilPressAgain_RadioButton_clicked();
    void on_LeftMouseButton_pressed();
    void on_LeftMouseButton_released();
    void on_MidMouseButton_pressed();
    void on_MidMouseButton_released();
    void on_RightMouseButton_pressed();
    void on_RightMouseButton_released();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void setLanguageTexts();
    void loadFolders();
    void loadNameList(const QString &path);
    void loadEventList(const QString &path);
    void deleteListWidgetAllItem();
    void setEditKeyAddDelayTimeState(bool addKey, bool addDelayTime);
    void setSpinBoxUnable();
    void updateMacroFile();
    void deleteFile(const QString &path);

    // Event rows; row -1 appends.
    void addEventRow(const macroevents::EventRow &row, int at = -1);
    void setEventRows(const QList<macroevents::EventRow> &rows, int currentRow);
    void checkIsTwoNormalTime();

    // Recording.
    void startRecording();
    void stopRecording();
    void showRecordingControls(bool recording);
    void recordPress(int keyCode);
    void recordRelease(int keyCode);
    int nextDelay();
    void createMouseButtonPressNode(int button);
    void createMouseButtonRelaseNode(int button);
    void insertAMouseButtonNode(int button);
    // The key of an event as the editor stores it; 0 when it is to be ignored.
    int recordedKey(QKeyEvent *event) const;

    // Editing by hand.
    void enterEdit(bool changing);
    bool applyKeyEdit(QList<macroevents::EventRow> &rows, int row, int &current);
    bool applyDelayEdit(QList<macroevents::EventRow> &rows, int row, int &current);
    bool applyMovementEdit(QList<macroevents::EventRow> &rows, int row, int &current);
    void updateKeyboardGrab();
    void setPlayModeInFile(int type, const QString &name);

    // The macro-file handler on its thread.
    void onWorker(std::function<bool(JsonHandle &)> write, const QString &path);
    void onWorkerAndWait(const std::function<void(JsonHandle &)> &work);

    void sendUiEvent(const QString &action);
    void sendOperationEvent(const QString &action, const QString &label);

    Ui::MacroEditWidget *m_ui;
    QThread m_jsonThread;
    JsonHandle *m_json = nullptr; // lives on m_jsonThread
    QButtonGroup m_playModes;
    QButtonGroup m_editModes;

    bool m_recording = false;
    int m_macroLength = 0;
    bool m_addKey = false;
    bool m_addDelayTime = false;
    bool m_editing = false;
    bool m_changing = false; // the edit changes the current row instead of inserting after it
    QList<MacroNode> m_nodeList; // the pending nodes of an edit
    bool m_firstEvent = true;
    qint64 m_lastEventMs = 0;
    QList<int> m_heldKeys; // pressed while recording, in press order
    QStringList m_folders;
    bool m_loading = false;
    bool m_keyboardGrabbed = false;
};
