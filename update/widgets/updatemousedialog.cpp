#include "update/widgets/updatemousedialog.h"

#include "config/languagetable.h"
#include "config/paths.h"
#include "config/warningtype.h"
#include "discovery/models.h"
#include "editors/textfit.h"
#include "platform/urlopener.h"
#include "platform/windowsprograms.h"
#include "update/firmwarepackage.h"
#include "update/updaterules.h"
#include "update/widgets/mousewidget.h"
#include "ui_updatemousedialog.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLocale>
#include <QUrl>

namespace {
const char kUiEventCategory[] = "UI事件";
const char kViewScreen[] = "更新界面";
const char kBannerPrefix[] = ":/picture/banner/picture/UpdateWarning/";

constexpr int kTitleText = 530;
constexpr int kUpdateButtonText = 527;
constexpr int kKeepConnectedText = 528;
constexpr int kClosingText = 529;
constexpr int kChooseModelText = 531;
constexpr int kFirmwareVersionText = 521;
constexpr int kWindowsToolText = 765;

// The banner of each language index, in the order of the language table.
const char *const kBannerLanguages[] = {"SimplifiedChinese", "English", "Korean",  "Albanian",
                                        "German",            "English", "Italian", "Spanish",
                                        "Dutch",             "Portuguese", "Russian", "Ukrainian"};

QString bannerLanguage()
{
    const int index = languageIndexForLocale(QLocale().language());
    const int count = int(sizeof(kBannerLanguages) / sizeof(kBannerLanguages[0]));
    return QLatin1String(kBannerLanguages[(index >= 0 && index < count) ? index : 0]);
}
} // namespace

UpdateMouseDialog::UpdateMouseDialog(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::UpdateMouseDialog>())
{
    m_ui->setupUi(this);
    // Frameless alone keeps the dialog a child laid over the window.
    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_StyledBackground);
    setGeometry(108, 144, 745, 340);

    buildPictures();
    rebuildRow(false);

    m_shortTimer.setInterval(kShortTimerMs);
    m_longTimer.setInterval(kLongTimerMs);
    m_longTimer.setSingleShot(true);
    connect(&m_shortTimer, &QTimer::timeout, this, &UpdateMouseDialog::slot_shortTimeOut);
    connect(&m_longTimer, &QTimer::timeout, this, &UpdateMouseDialog::slot_longTimeOut);
    m_ui->timeLabel->hide();
    m_ui->closeWidgetLabel->hide();
    m_ui->updateProgressBar->hide();
    m_ui->updateProgressBar->setRange(0, 100);

    m_ui->titleLabel->setText(languageText(kTitleText));
    fitButtonText(m_ui->updateFirmwareButton, languageText(kUpdateButtonText));
    m_ui->closeWidgetLabel->setText(languageText(kClosingText));
    m_ui->UpdateWarningLabel->setFixedSize(705, 48);
    m_ui->UpdateWarningLabel->setStyleSheet(
        QStringLiteral("border-image: url(%1%2.png);").arg(QLatin1String(kBannerPrefix), bannerLanguage()));
    m_ui->versionLabel->clear();
    showNotice();
}

UpdateMouseDialog::~UpdateMouseDialog() = default;

// --- The picture row -----------------------------------------------------------------------

void UpdateMouseDialog::buildPictures()
{
    auto *layout = new QHBoxLayout(m_ui->MouseRowWidget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    for (const ModelIdentity &model : modelTable()) {
        auto *picture = new MouseWidget(model.mouseType, m_ui->MouseRowWidget);
        picture->hide();
        connect(picture, &MouseWidget::clicked, this, [this, picture] {
            if (!m_locked && !m_updating)
                setCurrentMouseType(picture->mouseType());
        });
        m_pictures.append(picture);
    }
}

MouseWidget *UpdateMouseDialog::pictureOf(int mouseType) const
{
    for (MouseWidget *p : m_pictures) {
        if (p->mouseType() == mouseType)
            return p;
    }
    return nullptr;
}

QList<int> UpdateMouseDialog::offeredTypes() const
{
    QList<int> out;
    for (const MouseWidget *p : m_pictures)
        out.append(p->mouseType());
    return out;
}

QList<int> UpdateMouseDialog::visibleTypes() const
{
    QList<int> out;
    auto *layout = m_ui->MouseRowWidget->layout();
    for (int i = 0; i < layout->count(); ++i) {
        if (auto *p = qobject_cast<MouseWidget *>(layout->itemAt(i)->widget()))
            out.append(p->mouseType());
    }
    return out;
}

void UpdateMouseDialog::rebuildRow(bool followSelection)
{
    auto *layout = m_ui->MouseRowWidget->layout();
    qDebug() << "removeAllWidgeetInHorizontalLayout";
    while (QLayoutItem *item = layout->takeAt(0)) {
        if (item->widget())
            item->widget()->hide();
        delete item;
    }
    const int lastFirst = qMax(0, int(m_pictures.size()) - kVisibleCount);
    const int selected = followSelection ? m_pictures.indexOf(pictureOf(m_selectedType)) : -1;
    if (selected >= 0 && selected < m_firstIndex)
        m_firstIndex = selected;
    if (selected >= m_firstIndex + kVisibleCount)
        m_firstIndex = selected - kVisibleCount + 1;
    m_firstIndex = qBound(0, m_firstIndex, lastFirst);
    qDebug() << "setWidgetInHorizontalLayout" << m_firstIndex;
    for (int i = m_firstIndex; i < m_firstIndex + kVisibleCount && i < m_pictures.size(); ++i) {
        layout->addWidget(m_pictures.at(i));
        m_pictures.at(i)->show();
    }
    qDebug() << "setWidgetInHorizontalLayoutNumber" << layout->count();
    m_ui->MoustToLeftButton->setEnabled(!m_updating && m_firstIndex > 0);
    m_ui->MoustToRightButton->setEnabled(!m_updating && m_firstIndex < lastFirst);
}

void UpdateMouseDialog::setCurrentMouseType(int mouseType)
{
    qDebug() << "setCurrentMouseType" << mouseType;
    MouseWidget *picture = pictureOf(mouseType);
    if (mouseType == NoModel || !picture)
        return;
    m_selectedType = mouseType;
    for (MouseWidget *p : m_pictures) {
        p->setChecked(p == picture);
        p->setEnabled(!m_locked || p == picture);
    }
    rebuildRow(true);
    showNotice();
}

void UpdateMouseDialog::slot_OtherMouseBeGray(int mouseType)
{
    setCurrentMouseType(mouseType);
    for (MouseWidget *p : m_pictures)
        p->setEnabled(p->mouseType() == m_selectedType);
}

void UpdateMouseDialog::setLockedState(bool locked)
{
    m_locked = locked;
    if (locked && m_selectedType != NoModel)
        slot_OtherMouseBeGray(m_selectedType);
    else if (!locked)
        for (MouseWidget *p : m_pictures)
            p->setEnabled(true);
}

void UpdateMouseDialog::on_MoustToLeftButton_clicked()
{
    sendUiEvent(QStringLiteral("鼠标列表向左"));
    --m_firstIndex;
    // The selection may leave the view; it stays selected.
    rebuildRow(false);
}

void UpdateMouseDialog::on_MoustToRightButton_clicked()
{
    sendUiEvent(QStringLiteral("鼠标列表向右"));
    ++m_firstIndex;
    rebuildRow(false);
}

// --- What the update button does -------------------------------------------------------------

void UpdateMouseDialog::showNotice()
{
    if (m_updating)
        return;
    const bool externalRuns = canRunWindowsPrograms();
    const UpdateRoute route = updateRoute(m_selectedType, externalRuns);
    if (route == UpdateRoute::ExternalUpdater && !externalRuns) {
        // These models update through the maker's Windows tool only.
        m_ui->warningLabel->setText(languageText(kWindowsToolText));
        m_ui->updateFirmwareButton->setEnabled(false);
        return;
    }
    m_ui->warningLabel->setText(languageText(route == UpdateRoute::None ? kChooseModelText : kKeepConnectedText));
    m_ui->updateFirmwareButton->setEnabled(true);
}

void UpdateMouseDialog::on_updateFirmwareButton_clicked()
{
    sendUiEvent(m_ui->updateFirmwareButton->toolTip());
    if (m_locked) {
        emit sig_ShowWarningDialog(Warning::UpdateLockedModel);
        return;
    }
    slot_UpdateFirmware();
}

void UpdateMouseDialog::startUpdateNow()
{
    if (!m_ui->updateFirmwareButton->isEnabled())
        return;
    if (m_locked)
        emit sig_ShowWarningDialog(Warning::UpdateLockedModel);
    else
        slot_UpdateFirmware();
}

void UpdateMouseDialog::slot_UpdateFirmware()
{
    if (m_updating)
        return;
    const bool externalRuns = canRunWindowsPrograms();
    const UpdateRoute route = updateRoute(m_selectedType, externalRuns);
    if (route == UpdateRoute::None || (route == UpdateRoute::ExternalUpdater && !externalRuns)) {
        showNotice();
        return;
    }
    if (route == UpdateRoute::ExternalUpdater && asksBeforeExternalUpdater(m_selectedType)) {
        emit sig_ShowWarningDialog(Warning::SeparateUpdater);
        return;
    }
    m_ui->updateFirmwareButton->setEnabled(false);
    slot_runUpdateExe();
}

void UpdateMouseDialog::slot_runUpdateExe()
{
    const PackageSource source = m_local ? PackageSource::Local : PackageSource::Clouds;
    const bool externalRuns = canRunWindowsPrograms();
    switch (updateRoute(m_selectedType, externalRuns)) {
    case UpdateRoute::None:
        showNotice();
        return;
    case UpdateRoute::Flasher: {
        const QString package = packagePath(m_selectedType, source);
        const PackageVerdict verdict = checkPackageFile(m_selectedType, package);
        if (verdict != PackageVerdict::Ok) {
            // Only a firmware image ever reaches the flasher.
            qDebug() << "runUpdateExe: no usable package" << package << int(verdict);
            emit sig_ShowWarningDialog(Warning::FirmwarePackageMissing);
            slot_UpdateButtonEnable();
            return;
        }
        m_updating = true;
        setControlsEnabled(false);
        m_ui->updateProgressBar->setValue(0);
        m_ui->updateProgressBar->show();
        emit sig_UpdateFirmwareKorvan(package, getModelFolderName(m_selectedType));
        return;
    }
    case UpdateRoute::ExternalUpdater:
        break;
    }
    if (!externalRuns) {
        showNotice();
        return;
    }
    m_countdown = kCountdownSeconds;
    m_ui->timeLabel->setText(QStringLiteral("%1s").arg(m_countdown));
    m_ui->timeLabel->show();
    m_ui->closeWidgetLabel->show();
    m_shortTimer.start();
    m_longTimer.start();
    const QString program = externalUpdaterPath(m_selectedType, source);
    const QUrl url(QStringLiteral("file:///") + program);
    qDebug() << "runUpdateExe" << url;
    qDebug() << (urlOpener().open(url) ? "runUpdateExe ok1" : "runUpdateExe fail1");
}

void UpdateMouseDialog::setControlsEnabled(bool enabled)
{
    m_ui->updateFirmwareButton->setEnabled(enabled);
    m_ui->closeButton->setEnabled(enabled);
    rebuildRow(false);
}

void UpdateMouseDialog::slot_UpdateProgress(int percent)
{
    if (!m_updating)
        return;
    m_ui->updateProgressBar->show();
    m_ui->updateProgressBar->setValue(qBound(0, percent, 100));
}

void UpdateMouseDialog::slot_UpdateFinished()
{
    if (!m_updating)
        return;
    m_updating = false;
    m_ui->updateProgressBar->hide();
    setControlsEnabled(true);
    showNotice();
}

void UpdateMouseDialog::slot_UpdateButtonEnable()
{
    m_ui->updateFirmwareButton->show();
    if (m_updating)
        return;
    showNotice();
}

void UpdateMouseDialog::setFirmwareVersion(const QString &version)
{
    m_ui->versionLabel->setText(QStringLiteral("%1: %2.0").arg(languageText(kFirmwareVersionText), version));
    if (version.toInt() == 3 && m_selectedType == Ox6)
        slot_runUpdateExe();
}

// --- Closing ----------------------------------------------------------------------------------

void UpdateMouseDialog::slot_shortTimeOut()
{
    qDebug() << "slot_shortTimeOut" << m_countdown;
    m_countdown = qMax(0, m_countdown - 1);
    m_ui->timeLabel->setText(QStringLiteral("%1s").arg(m_countdown));
}

void UpdateMouseDialog::slot_longTimeOut()
{
    m_shortTimer.stop();
    close();
}

void UpdateMouseDialog::on_closeButton_clicked()
{
    sendUiEvent(QStringLiteral("关闭"));
    m_shortTimer.stop();
    m_longTimer.stop();
    close();
}

void UpdateMouseDialog::sendUiEvent(const QString &action)
{
    emit sig_SendUIEventMessageToGA(QString::fromUtf8(kUiEventCategory), action, QString(),
                                    QString::fromUtf8(kViewScreen));
}
