#pragma once

#include "shell/dialogs/overlaydialog.h"

#include <QTimer>

class QLabel;

// The busy overlay: a translucent layer over the whole window with a
// spinner that turns in quarter steps while the coordinator or a page
// works. A stop request lets the current turn finish, so even a short
// operation shows one whole turn. No key reaches the page beneath while it
// turns. Lives as long as the main window.
class LoadMessageDialog : public OverlayDialog
{
    Q_OBJECT

public:
    static constexpr int kStepIntervalMs = 180;

    explicit LoadMessageDialog(QWidget *parent = nullptr);

    // Start, then ask for a stop: exactly one full turn.
    void flash();

    int stepCount() const { return m_step; }
    bool isStopRequested() const { return m_stopRequested; }
    bool isTurning() const { return m_timer.isActive(); }
    const QTimer &stepTimer() const { return m_timer; }

public slots:
    void slot_StartLoadingDialog();
    void slot_StopLoadingDialog();
    // One quarter step of the spinner (the timer's slot).
    void transform();

private:
    void stopNow();

    QLabel *m_label = nullptr;
    QTimer m_timer;
    int m_step = 0;
    bool m_stopRequested = false;
};
