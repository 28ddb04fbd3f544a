#pragma once

#include "shell/dialogs/overlaydialog.h"

#include <QTimer>

class QLabel;
class QPushButton;
class QTextEdit;
class QWidget;

// Covers the main window while no supported mouse is present. Offers to
// quit at once and, after a few seconds without a mouse, a firmware repair
// for a mouse stuck in its boot loader. A frameless child of the window
// that keeps the keyboard to itself; Escape does nothing (there is no Cancel).
class NeedDeviceDialog : public OverlayDialog
{
    Q_OBJECT

public:
    static constexpr int kRepairOfferMs = 3800;

    explicit NeedDeviceDialog(QWidget *parent = nullptr);

    // true: hide the dialog, stop the repair timer and hide the repair
    // offer; false: show the dialog and start the timer again.
    void setHiddenState(bool hide);

    // A mouse is there but this user may not open it: say so, with the
    // commands that fix it. Empty commands bring the plain notice back.
    void setNoPermissionHint(const QString &fixCommands);
    bool showsNoPermission() const { return m_noPermission; }

    const QTimer &repairTimer() const { return m_timer; }
    QWidget *warningWidget() const { return m_warningWidget; }

signals:
    void sig_closeWindow();
    void sig_ShowUpdateWidget(bool isChangeable, bool isLocalUpdateState, int mouseType, bool isUpdateNow);

public slots:
    void on_OkButton_clicked();
    void on_FirmwareRepairPushButton_clicked();
    void slot_TimeOut();

private:
    void placeFrame(const QRect &frame, int bodyHeight);

    QWidget *m_warningWidget = nullptr;
    QLabel *m_title = nullptr;
    QTextEdit *m_body = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_repair = nullptr;
    QTimer m_timer;
    bool m_noPermission = false;
};
