#pragma once

#include "config/jsonhandle.h"
#include "discovery/models.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

namespace Ui {
class KeySettingDialog;
}

class Form;
class QCheckBox;
class QListWidget;
class QListWidgetItem;

// The dialog in which the user chooses what one mouse button does: a key
// with modifier keys, one or several macros of the macro library, a basic
// function, no function, or back to default (the advanced page is reached
// only through setPage(3)). It writes nothing itself: every choice leaves as
// a signal for the data coordinator and the dialog closes. A frameless
// overlay over the main window, which creates it per use; GUI thread only.
class KeySettingDialog : public QDialog
{
    Q_OBJECT

public:
    // mouseType: the model whose rules apply (family A, OX7 and OX1 series).
    explicit KeySettingDialog(QWidget *parent = nullptr, int mouseType = currentMouseType());
    ~KeySettingDialog() override;

    // The button edited (4..17); fills the texts and the basic list.
    void setChangedButton(int button);
    // What the button does now, as the device layer reports it.
    void setTrueMouseValue(int changeType, int trueValue, int modifyKey);

    int changedButton() const { return m_button; }
    int capturedKey() const { return m_capturedKey; }
    int modifierBits() const { return m_modifierBits; }
    int maxChecked() const { return m_maxChecked; }
    int mouseType() const { return m_mouseType; }
    QString macroRoot() const { return m_macroRoot; }
    QList<Form *> macroRows() const { return m_macroRows; }

signals:
    void sig_ButtonChangeToKey(int button, uint pysicalButton, uint changedModifyKey, int changeType);
    void sig_WriteSingleMacro(int button, QString path);
    void sig_WriteListMacro(QStringList macroList);
    // Declared for the window's wiring; nothing emits it.
    void sig_SetFirstOneUnchecked();
    void sig_ShowWarningDialog(int warningType);
    void sig_SendEventMessageToGA(const QString &category, const QString &action, const QString &label,
                                  const QString &viewScreen);

public slots:
    void setPage(int type);
    void loadMacroTitleListWidget();
    void addMacroTitleWidgetItem(const QString &text, QListWidget *list, const QString &path);
    void addMacroListWigetItem(const QString &text, QListWidget *list, const QString &path);
    void deleteListWidgetAllItem(QListWidget *list);
    void setCheckBoxCheckState(QCheckBox *box);
    void setKeyToBasicFunction();
    void setKeyToHighestFunction();
    void setHighFunctionWidgetUnable();
    void slot_SetMacroListWidgetItemSelected(int row);
    void slot_CheckIsOutOfMacroCheckRange();
    int countMacroCheckedNumber() const;
    QString getMacroSinglePath() const;
    QStringList getMacroListPath() const;
    int countModifyValue() const;
    void removeFirstSelectedStaeInFormList();

private slots:
    void on_CloseBattaryButton_clicked();
    void on_ConbinationKeyButton_clicked();
    void on_MarcoEditButton_clicked();
    void on_BasicFunctionButton_clicked();
    void on_HighestFunctionButton_clicked();
    void on_MacroTitleListWidget_itemClicked(QListWidgetItem *item);
    void on_MacroNameListWidget_itemClicked(QListWidgetItem *item);
    void on_OKButton_clicked();
    void on_BackToDefalutButton_clicked();
    void on_PlayMusicButton_clicked();
    void on_PlayMusicCheckBox_clicked();
    void on_StartProgramCheckBox_clicked();
    void on_OpenFileCheckBox_clicked();
    void on_OpenDirectoryCheckBox_clicked();
    void on_StartProgramButton_clicked();
    void on_OpenFileButton_clicked();
    void on_OpenDirectoryButton_clicked();

protected:
    // Texts are fitted once the style sheet has given the widgets their fonts.
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    // Tab is a key to capture on the combination page, not a focus move.
    bool focusNextPrevChild(bool next) override;

private:
    void setLanguageTexts();
    void fillBasicList();
    void writeMacroChoice();
    void writeSingleMacro(const QString &path);
    void writeListMacro(const QStringList &paths);
    void advancedCheckBoxClicked(QCheckBox *box);
    void sendUiEvent(const QString &action);
    void sendOperationEvent(const QString &action, const QString &detail);

    Ui::KeySettingDialog *m_ui;
    int m_mouseType;
    int m_button = 0;
    int m_capturedKey = 0;
    int m_modifierBits = 0;
    QString m_macroRoot;
    int m_maxChecked = 1;
    JsonHandle m_json; // macro-file reader
    QList<Form *> m_macroRows;
    QString m_title;
    QString m_trueValueText;
};
