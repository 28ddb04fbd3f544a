#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QTimer>

#include <memory>

namespace Ui {
class UpdateMouseDialog;
}

class MouseWidget;

// The firmware update dialog: a row of model pictures to choose from (or
// one model it is locked to), and the update button. A family A package
// goes to the coordinator's flasher through sig_UpdateFirmwareKorvan, after
// a check that it is a firmware image at all; the other models are updated
// by the maker's separate Windows updater, which is started where it can
// run and otherwise named in a notice. Progress comes from the flasher
// through slot_UpdateProgress.
//
// A frameless child laid over the main window at (108, 144); the main window
// creates it, sets it up and connects it. GUI thread only.
class UpdateMouseDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kFirstVisibleIndex = 2;
    static constexpr int kVisibleCount = 4;
    static constexpr int kCountdownSeconds = 20;
    static constexpr int kShortTimerMs = 1000;
    static constexpr int kLongTimerMs = 20000;

    explicit UpdateMouseDialog(QWidget *parent = nullptr);
    ~UpdateMouseDialog() override;

    // Locked: the model stays the one set, the others are greyed, and the
    // update button asks first (warning 39).
    void setLockedState(bool locked);
    bool isLocked() const { return m_locked; }
    // Local: packages from Update/Local/, otherwise from Update/Clouds/.
    void setLocalUpdateState(bool local) { m_local = local; }
    bool isLocalUpdate() const { return m_local; }

    // Selects a model (0 selects nothing) and brings it into the row.
    void setCurrentMouseType(int mouseType);
    int selectedType() const { return m_selectedType; }
    // The mouse's firmware version, shown as "<text>.0".
    void setFirmwareVersion(const QString &version);
    // What the window asks for when the update is to start at once: the
    // update button's path (so a locked dialog still asks first).
    void startUpdateNow();

    int firstVisibleIndex() const { return m_firstIndex; }
    // Type codes of the pictures in the row, left to right.
    QList<int> visibleTypes() const;
    // Type codes of every picture the dialog offers, in row order.
    QList<int> offeredTypes() const;
    int countdown() const { return m_countdown; }
    bool isUpdating() const { return m_updating; }
    const QTimer &shortTimer() const { return m_shortTimer; }
    const QTimer &longTimer() const { return m_longTimer; }

signals:
    void sig_ShowWarningDialog(int warningType);
    void sig_UpdateFirmwareKorvan(QString path, QString mouseType);
    void sig_SendUIEventMessageToGA(QString category, QString action, QString Label, QString viewScreen);

public slots:
    void on_MoustToLeftButton_clicked();
    void on_MoustToRightButton_clicked();
    void on_updateFirmwareButton_clicked();
    void slot_OtherMouseBeGray(int mouseType);
    void on_closeButton_clicked();
    void slot_shortTimeOut();
    void slot_longTimeOut();
    void slot_UpdateFirmware();
    void slot_UpdateButtonEnable();
    void slot_runUpdateExe();
    // Flashing progress in percent (the coordinator's sig_ProcessVaule).
    void slot_UpdateProgress(int percent);
    // The flasher has ended, well or not (the coordinator's sig_closeUpdatingWidget).
    void slot_UpdateFinished();

private:
    void buildPictures();
    // followSelection: move the row so the selected model is in view.
    void rebuildRow(bool followSelection);
    void showNotice();
    void setControlsEnabled(bool enabled);
    void sendUiEvent(const QString &action);
    MouseWidget *pictureOf(int mouseType) const;

    std::unique_ptr<Ui::UpdateMouseDialog> m_ui;
    QList<MouseWidget *> m_pictures;
    int m_selectedType = 0;
    int m_firstIndex = kFirstVisibleIndex;
    bool m_local = true;
    bool m_locked = false;
    bool m_updating = false;
    QTimer m_shortTimer;
    QTimer m_longTimer;
    int m_countdown = kCountdownSeconds;
};
