#include "editors/keysetting/form.h"

#include "editors/textfit.h"
#include "ui_form.h"

#include <QCheckBox>

namespace {
// Room the check box needs besides its text: indicator and spacing.
constexpr int kIndicatorWidth = 28;
} // namespace

Form::Form(QWidget *parent)
    : QWidget(parent)
    , m_ui(new Ui::Form)
{
    m_ui->setupUi(this);
    // In this order: the dialog learns the row before it counts.
    connect(m_ui->checkBox, &QCheckBox::clicked, this, &Form::slot_rowSelected);
    connect(m_ui->checkBox, &QCheckBox::clicked, this, &Form::slot_chekIsChecked);
}

Form::~Form()
{
    delete m_ui;
}

void Form::setText(const QString &text)
{
    m_text = text;
    showText();
}

QString Form::text() const
{
    return m_text;
}

bool Form::isChecked() const
{
    return m_ui->checkBox->isChecked();
}

void Form::setChecked(bool checked)
{
    m_ui->checkBox->setChecked(checked);
}

void Form::toggle()
{
    m_ui->checkBox->setChecked(!m_ui->checkBox->isChecked());
}

void Form::slot_rowSelected()
{
    emit sig_rowSelected(m_row);
}

void Form::slot_chekIsChecked()
{
    const bool checked = m_ui->checkBox->isChecked();
    m_ui->checkBox->setChecked(false);
    if (!checked)
        return;
    emit sig_countChecked();
    m_ui->checkBox->setChecked(true);
}

void Form::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    showText();
}

void Form::showText()
{
    const QMargins margins = layout()->contentsMargins();
    const int available = width() - margins.left() - margins.right() - kIndicatorWidth;
    m_ui->checkBox->setText(fittedText(m_ui->checkBox, m_text, available));
    m_ui->checkBox->setToolTip(m_text);
}
