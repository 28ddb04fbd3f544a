#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QStackedWidget;

// The receiver pairing page (page 5 of the main window): the five steps
// with their pictures and the pair and exit buttons, and a progress view
// while the coordinator waits for the mouse. It only emits signals; the
// main window relays them to the coordinator and switches the views.
class CodeWidget : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kSteps = 5;

    explicit CodeWidget(QWidget *parent = nullptr);

    // The instructions with the pair button (shown when the page opens).
    void showStepPage();
    // The view while pairing runs.
    void showProgressPage();
    // 0 = instructions, 1 = progress.
    int currentSubPage() const;

signals:
    void sig_startCode();
    void sig_stopCode();
    void sig_SendUIEventMessageToGA(const QString &category, const QString &action, const QString &label,
                                    const QString &viewScreen);

public slots:
    void on_pushButton_code_clicked();
    void on_pushButton_exit_clicked();

private:
    QWidget *buildStepPage();
    QWidget *buildProgressPage();
    void sendUiEvent(int textNumber);

    QStackedWidget *m_pages = nullptr;
};
