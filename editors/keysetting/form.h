#pragma once

#include <QString>
#include <QWidget>

namespace Ui {
class Form;
}

// One row of the key assignment dialog's macro list: a check box with the
// macro's name, and the macro file and list row it stands for. Clicking the
// box reports the row and, when the click checked it, asks the dialog to
// count the checked rows while this one is momentarily unchecked, so the
// dialog can make room for it (the newest choice wins).
class Form : public QWidget
{
    Q_OBJECT

public:
    explicit Form(QWidget *parent = nullptr);
    ~Form() override;

    // The name shown; elided to the row's width, in full as the tool tip.
    void setText(const QString &text);
    QString text() const;
    void setPath(const QString &path) { m_path = path; }
    QString path() const { return m_path; }
    void setRow(int row) { m_row = row; }
    int row() const { return m_row; }

    bool isChecked() const;
    void setChecked(bool checked);
    void toggle();

signals:
    void sig_rowSelected(int row);
    void sig_countChecked();

public slots:
    void slot_rowSelected();
    void slot_chekIsChecked();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showText();

    Ui::Form *m_ui;
    QString m_text;
    QString m_path;
    int m_row = -1;
};
