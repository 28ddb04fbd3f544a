#pragma once

#include <QDialog>
#include <QPointer>

// A frameless dialog laid over the main window as a child widget (so it moves
// and hides with the window), made to behave like a modal one: while it is
// the topmost visible overlay of its window no key reaches the page beneath,
// Tab and Shift+Tab cycle through its own controls, and Escape runs
// escapePressed() instead of hiding it. Pointer input needs no help: the
// overlay covers the whole window. GUI thread only.
class OverlayDialog : public QDialog
{
    Q_OBJECT

public:
    // takesFocus: move the keyboard focus into the overlay while it is shown
    // (and give it back afterwards). The busy overlay only blocks keys, so a
    // control beneath keeps its focus through a short device operation.
    explicit OverlayDialog(QWidget *parent = nullptr, bool takesFocus = true);
    ~OverlayDialog() override;

    // The visible overlay stacked above every other one among parent's
    // children, or nullptr.
    static OverlayDialog *topmostOverlay(const QWidget *parent);
    bool isTopmostOverlay() const;

protected:
    // Escape: the dialog's Cancel action where it has one. Ignored by default.
    virtual void escapePressed() {}

    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QWidget *> focusableControls() const;
    void takeFocus();

    bool m_takesFocus;
    bool m_filtering = false;
    QPointer<QWidget> m_focusBefore;
};
