#pragma once

#include <QLabel>
#include <QWidget>

// TEMPORARY: stands in for the main window until the shell exists. It has
// the two connections start-up makes to the real one.
class TemporaryMainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit TemporaryMainWindow(QWidget *parent = nullptr);

signals:
    void QuitTheApplication();

public slots:
    void slotMessageReceived(const QString &message);

private:
    QLabel *m_status;
};
