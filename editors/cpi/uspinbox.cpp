#include "editors/cpi/uspinbox.h"

#include "discovery/cpiranges.h"

#include <QDebug>
#include <QEvent>
#include <QValidator>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace {
// Digits only, never above the largest CPI any model has. A longer number
// is refused while typing instead of being held as unfinished input that
// no Return could commit.
class CpiValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &) const override
    {
        if (input.isEmpty())
            return Intermediate;
        for (const QChar c : input)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return Invalid;
        if (input.size() > 5)
            return Invalid;
        const int v = input.toInt();
        if (v > kTop)
            return Invalid;
        return v < 1 ? Intermediate : Acceptable;
    }

private:
    static constexpr int kTop = 16000;
};

// Up or down button with a small drawn triangle, so the box needs no picture.
class ArrowButton : public QPushButton
{
public:
    ArrowButton(bool up, QWidget *parent)
        : QPushButton(parent)
        , m_up(up)
    {
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPushButton::paintEvent(event);
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(4, 3.5, -4, -3.5);
        QPainterPath path;
        if (m_up) {
            path.moveTo(r.left(), r.bottom());
            path.lineTo(r.right(), r.bottom());
            path.lineTo(r.center().x(), r.top());
        } else {
            path.moveTo(r.left(), r.top());
            path.lineTo(r.right(), r.top());
            path.lineTo(r.center().x(), r.bottom());
        }
        path.closeSubpath();
        p.fillPath(path, isEnabled() ? QColor(0x40, 0xC5, 0xDD) : QColor(0x61, 0x61, 0x61));
    }

private:
    bool m_up;
};
} // namespace

USpinBox::USpinBox(QWidget *parent)
    : QWidget(parent)
    , m_lineEdit(new QLineEdit(this))
    , m_upButton(new ArrowButton(true, this))
    , m_downButton(new ArrowButton(false, this))
{
    setProperty("mainSpinBox", 1);
    resize(60, 22);
    setFixedSize(60, 22);

    m_lineEdit->setObjectName(QStringLiteral("SpinLineEdit"));
    m_lineEdit->setGeometry(0, 0, 44, 22);
    m_lineEdit->setAlignment(Qt::AlignCenter);
    m_lineEdit->setValidator(new CpiValidator(m_lineEdit));
    m_lineEdit->setStyleSheet(
        QStringLiteral("QLineEdit{background:transparent;border:1px solid #006477;color:#ffffff;"
                       "padding:0px;border-radius:0px;font-size:12px;}"
                       "QLineEdit:disabled{color:#5A6067;border-color:#2A3036;}"));
    // Hover events are what commits a typed value when the pointer leaves.
    m_lineEdit->setAttribute(Qt::WA_Hover, true);
    m_lineEdit->installEventFilter(this);

    m_upButton->setObjectName(QStringLiteral("SpinUpButton"));
    m_downButton->setObjectName(QStringLiteral("SpinDownButton"));
    m_upButton->setGeometry(44, 0, 14, 11);
    m_downButton->setGeometry(44, 11, 14, 11);
    for (QPushButton *b : {m_upButton, m_downButton}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
    }
    const QString arrow = QStringLiteral(
        "QPushButton{border:1px solid #006477;border-left:none;border-radius:0px;background:transparent;"
        "border-image:none;padding:0px;min-width:0px;min-height:0px;}"
        "QPushButton:hover{background:#00343d;}"
        "QPushButton:disabled{border-color:#333333;}");
    m_upButton->setStyleSheet(arrow);
    m_downButton->setStyleSheet(arrow);

    connect(m_upButton, &QPushButton::clicked, this, &USpinBox::slot_UpButtonClicked);
    connect(m_downButton, &QPushButton::clicked, this, &USpinBox::slot_DownButtonClicked);
    // A held arrow whose pointer slides off the button ends without a click.
    // Every repeat also "releases" the arrow, but leaves it down; a release
    // on the button is followed by its click, which reports by itself.
    for (QPushButton *b : {m_upButton, m_downButton}) {
        connect(b, &QPushButton::released, this, [this, b] {
            if (!b->isDown())
                QMetaObject::invokeMethod(this, &USpinBox::reportPendingSteps, Qt::QueuedConnection);
        });
    }
    m_quietTimer.setSingleShot(true);
    m_quietTimer.setInterval(kQuietMs);
    connect(&m_quietTimer, &QTimer::timeout, this, &USpinBox::reportPendingSteps);
    connect(m_lineEdit, &QLineEdit::editingFinished, this, &USpinBox::onEditingFinished);
    QWidget::setEnabled(false);
}

int USpinBox::value() const
{
    return m_lineEdit->text().toInt();
}

void USpinBox::setValue(int value)
{
    m_lineEdit->setText(QString::number(value));
    m_lastValue = value;
}

void USpinBox::setValueAndNotify(int value)
{
    const int shown = qBound(m_minimum, value, m_maximum);
    m_lineEdit->setText(QString::number(shown));
    m_lastValue = shown;
    emit sig_SpinBoxValueChange(shown);
    emit sig_CpiSliderChange(false);
}

void USpinBox::stepTo(int value)
{
    // An auto-repeating arrow stays down between its clicks; the click of
    // its release (or a single click) comes with the button up.
    const bool repeating = m_upButton->isDown() || m_downButton->isDown();
    if (!repeating) {
        m_quietTimer.stop();
        m_pendingSteps = false;
        setValueAndNotify(value);
        return;
    }
    const int shown = qBound(m_minimum, value, m_maximum);
    m_lineEdit->setText(QString::number(shown));
    m_lastValue = shown;
    m_pendingSteps = true;
    m_quietTimer.start();
    emit sig_SpinBoxValueShown(shown);
}

void USpinBox::reportPendingSteps()
{
    m_quietTimer.stop();
    if (!m_pendingSteps)
        return;
    m_pendingSteps = false;
    setValueAndNotify(value());
}

void USpinBox::setEnabled(bool enabled)
{
    m_enabled = enabled;
    QWidget::setEnabled(enabled);
}

void USpinBox::slot_UpButtonClicked()
{
    qDebug() << "slot_UpButtonClicked";
    const int v = value();
    if (v < m_maximum)
        stepTo(stepUpOneStep(v, m_minimum, m_maximum, m_step));
    else
        reportPendingSteps(); // held at the top: nothing more to wait for
}

void USpinBox::slot_DownButtonClicked()
{
    qDebug() << "slot_DownButtonClicked";
    const int v = value();
    if (v > m_minimum)
        stepTo(stepDownOneStep(v, m_minimum, m_maximum, m_step));
    else
        reportPendingSteps();
}

int USpinBox::recalculateValue(int typed) const
{
    return recalculateOneStep(typed, m_minimum, m_maximum, m_step);
}

void USpinBox::slot_LineEditEditFinished()
{
    const int typed = value();
    qDebug() << "USpinBox::slot_LineEditEditFinished";
    qDebug() << "USpinBox::recalculateValue()" << typed;
    setValueAndNotify(recalculateValue(typed));
}

// The line edit also reports a finished edit when it merely loses focus;
// only a changed text is worth a write to the mouse.
void USpinBox::onEditingFinished()
{
    if (!m_lineEdit->isModified())
        return;
    m_lineEdit->setModified(false);
    slot_LineEditEditFinished();
}

int USpinBox::committedValue() const
{
    return (m_lastValue < m_minimum || m_lastValue > m_maximum) ? m_minimum : m_lastValue;
}

bool USpinBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lineEdit && event->type() == QEvent::HoverLeave && m_enabled) {
        qDebug() << ",,,,,,,,";
        if (m_lineEdit->text().isEmpty()) {
            m_lineEdit->setText(QString::number(committedValue()));
            m_lineEdit->setModified(false);
            slot_LineEditEditFinished();
        } else if (committedValue() != value()) {
            m_lineEdit->setModified(false);
            slot_LineEditEditFinished();
        }
        m_lineEdit->clearFocus();
    }
    return QWidget::eventFilter(watched, event);
}

OneKindStepUSpinBox::OneKindStepUSpinBox(int minimum, int maximum, int step, QWidget *parent)
    : USpinBox(parent)
{
    m_minimum = minimum;
    m_maximum = maximum;
    m_step = step;
    m_coarseStep = step;
    m_threshold = maximum;
    setValue(minimum);
}

TwoKindsStepUSpinBox::TwoKindsStepUSpinBox(int minimum, int maximum, int step, int coarseStep, int threshold,
                                           QWidget *parent)
    : USpinBox(parent)
{
    m_minimum = minimum;
    m_maximum = maximum;
    m_step = step;
    m_coarseStep = coarseStep;
    m_threshold = threshold;
    setValue(minimum);
}

void TwoKindsStepUSpinBox::slot_UpButtonClicked()
{
    qDebug() << "slot_UpButtonClicked";
    const int v = value();
    if (v < m_maximum)
        stepTo(stepUpTwoStep(v, m_minimum, m_maximum, m_step, m_coarseStep, m_threshold));
    else
        reportPendingSteps();
}

void TwoKindsStepUSpinBox::slot_DownButtonClicked()
{
    qDebug() << "slot_DownButtonClicked";
    const int v = value();
    if (v > m_minimum)
        stepTo(stepDownTwoStep(v, m_minimum, m_maximum, m_step, m_coarseStep, m_threshold));
    else
        reportPendingSteps();
}

int TwoKindsStepUSpinBox::recalculateValue(int typed) const
{
    return recalculateTwoStep(typed, m_minimum, m_maximum, m_step, m_coarseStep, m_threshold);
}

void TwoKindsStepUSpinBox::slot_LineEditEditFinished()
{
    USpinBox::slot_LineEditEditFinished();
}
