#include "shell/pairing/codewidget.h"

#include "config/languagetable.h"
#include "editors/textfit.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>

namespace {
const char kUiEventCategory[] = "UI事件";
const char kButtonAction[] = "按钮";
const char kViewScreen[] = "CodeWidget";

// Step texts 510..514, progress text 515, pair 65, exit 106.
constexpr int kFirstStepText = 510;
constexpr int kProgressText = 515;
constexpr int kPairText = 65;
constexpr int kExitText = 106;

constexpr int kPageWidth = 960;
constexpr int kPageHeight = 460;
constexpr int kColumnWidth = 168;
constexpr int kColumnGap = 12;
constexpr int kPictureWidth = 120;
constexpr int kPictureHeight = 90;
constexpr int kButtonWidth = 160;
constexpr int kButtonHeight = 36;

QString stepPicture(int step)
{
    return QStringLiteral(":/picture/picture/code_step%1.png").arg(step);
}

QPushButton *makeButton(QWidget *parent, const char *name, int x, int y, int textNumber)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(x, y, kButtonWidth, kButtonHeight);
    b->setCursor(Qt::PointingHandCursor);
    fitButtonText(b, languageText(textNumber));
    return b;
}
} // namespace

CodeWidget::CodeWidget(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("CodeWidget"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("QWidget#CodeWidget\n{\nbackground:black;\n}"));
    resize(kPageWidth, kPageHeight);

    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("CodeStackedWidget"));
    m_pages->setGeometry(0, 0, kPageWidth, kPageHeight);
    m_pages->addWidget(buildStepPage());
    m_pages->addWidget(buildProgressPage());
    showStepPage();
}

QWidget *CodeWidget::buildStepPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("CodeStepPage"));

    const int rowWidth = kSteps * kColumnWidth + (kSteps - 1) * kColumnGap;
    const int left = (kPageWidth - rowWidth) / 2;
    for (int i = 0; i < kSteps; ++i) {
        const int x = left + i * (kColumnWidth + kColumnGap);

        auto *number = new QLabel(page);
        number->setObjectName(QStringLiteral("label_number%1").arg(i + 1));
        number->setGeometry(x, 60, kColumnWidth, 28);
        number->setAlignment(Qt::AlignCenter);
        number->setText(QString::number(i + 1));
        number->setStyleSheet(QStringLiteral("color:#40C5DD;font-size:20px;font-weight:bold;"));

        auto *picture = new QLabel(page);
        picture->setObjectName(QStringLiteral("label_picture%1").arg(i + 1));
        picture->setGeometry(x + (kColumnWidth - kPictureWidth) / 2, 96, kPictureWidth, kPictureHeight);
        picture->setPixmap(QPixmap(stepPicture(i + 1)));

        auto *text = new QLabel(page);
        text->setObjectName(QStringLiteral("label_step%1").arg(i + 1));
        text->setGeometry(x, 196, kColumnWidth, 64);
        text->setWordWrap(true);
        text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        text->setText(languageText(kFirstStepText + i));
        text->setToolTip(text->text());
    }

    auto *pair = makeButton(page, "pushButton_code", kPageWidth / 2 - kButtonWidth - 12, 310, kPairText);
    auto *exit = makeButton(page, "pushButton_exit", kPageWidth / 2 + 12, 310, kExitText);
    connect(pair, &QPushButton::clicked, this, &CodeWidget::on_pushButton_code_clicked);
    connect(exit, &QPushButton::clicked, this, &CodeWidget::on_pushButton_exit_clicked);
    return page;
}

QWidget *CodeWidget::buildProgressPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("CodeProgressPage"));

    auto *picture = new QLabel(page);
    picture->setObjectName(QStringLiteral("label_progressPicture"));
    picture->setGeometry((kPageWidth - kPictureWidth) / 2, 70, kPictureWidth, kPictureHeight);
    picture->setPixmap(QPixmap(stepPicture(kSteps)));

    auto *hint = new QLabel(page);
    hint->setObjectName(QStringLiteral("label_progressStep"));
    hint->setGeometry(180, 176, kPageWidth - 360, 28);
    hint->setAlignment(Qt::AlignCenter);
    hint->setText(languageText(kFirstStepText + kSteps - 1));

    auto *status = new QLabel(page);
    status->setObjectName(QStringLiteral("label_progress"));
    status->setGeometry(180, 212, kPageWidth - 360, 28);
    status->setAlignment(Qt::AlignCenter);
    status->setStyleSheet(QStringLiteral("color:#40C5DD;font-size:16px;"));
    status->setText(languageText(kProgressText));

    // Pairing has no measurable progress: a busy bar.
    auto *bar = new QProgressBar(page);
    bar->setObjectName(QStringLiteral("progressBar_code"));
    bar->setGeometry(330, 252, 300, 6);
    bar->setRange(0, 0);
    bar->setTextVisible(false);

    auto *exit = makeButton(page, "pushButton_exitProgress", (kPageWidth - kButtonWidth) / 2, 310, kExitText);
    connect(exit, &QPushButton::clicked, this, &CodeWidget::on_pushButton_exit_clicked);
    return page;
}

void CodeWidget::showStepPage()
{
    m_pages->setCurrentIndex(0);
}

void CodeWidget::showProgressPage()
{
    m_pages->setCurrentIndex(1);
}

int CodeWidget::currentSubPage() const
{
    return m_pages->currentIndex();
}

void CodeWidget::on_pushButton_code_clicked()
{
    sendUiEvent(kPairText);
    emit sig_startCode();
}

void CodeWidget::on_pushButton_exit_clicked()
{
    sendUiEvent(kExitText);
    emit sig_stopCode();
}

void CodeWidget::sendUiEvent(int textNumber)
{
    emit sig_SendUIEventMessageToGA(QString::fromUtf8(kUiEventCategory),
                                    languageText(textNumber) + QString::fromUtf8(kButtonAction), QString(),
                                    QString::fromLatin1(kViewScreen));
}
