// The firmware update dialog driven by object name: the picture row, the
// locked and local flags, what the update button leads to for each kind of
// model, and the progress and closing displays.
#include "config/warningtype.h"
#include "discovery/models.h"
#include "tests/common/testutil.h"
#include "tests/common/widgettestutil.h"
#include "update/firmwarepackage.h"
#include "update/widgets/mousewidget.h"
#include "update/widgets/updatemousedialog.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {
QByteArray image(int size)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 17 + 5) & 0xFF);
    return b;
}

void writePackage(int type, PackageSource source, const QByteArray &bytes)
{
    const QString path = packagePath(type, source);
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct DialogFixture
{
    DialogFixture()
    {
        parent.resize(960, 640);
        dialog = new UpdateMouseDialog(&parent);
        parent.show();
        dialog->show();
    }
    template <typename T = QWidget>
    T *child(const char *name) const
    {
        return childNamed<T>(dialog, QLatin1String(name));
    }

    NumberedLanguageTable texts{800};
    TempAppDir app;
    QWidget parent;
    UpdateMouseDialog *dialog = nullptr;
};
} // namespace

class TstUpdateMouseDialog : public QObject
{
    Q_OBJECT

private slots:
    void construction();
    void bannerFollowsTheLanguage_data();
    void bannerFollowsTheLanguage();
    void pictureRow();
    void lockedState();
    void updateButton_data();
    void updateButton();
    void lockedUpdateAsksFirst();
    void progressWhileFlashing();
    void countdownAndClosing();
    void versionText();
};

void TstUpdateMouseDialog::construction()
{
    DialogFixture f;
    QCOMPARE(f.dialog->geometry(), QRect(108, 144, 745, 340));
    QVERIFY(f.dialog->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(!f.dialog->isWindow());
    QCOMPARE(f.dialog->selectedType(), 0);
    QVERIFY(f.dialog->isLocalUpdate());
    QVERIFY(!f.dialog->isLocked());
    QCOMPARE(f.dialog->countdown(), 20);
    QVERIFY(!f.child("timeLabel")->isVisible());
    QVERIFY(!f.child("closeWidgetLabel")->isVisible());
    QVERIFY(!f.child("updateProgressBar")->isVisible());
    QCOMPARE(f.child<QLabel>("titleLabel")->text(), QStringLiteral("T530"));
    QCOMPARE(f.child<QPushButton>("updateFirmwareButton")->toolTip(), QStringLiteral("T527"));
    QCOMPARE(f.child<QLabel>("closeWidgetLabel")->text(), QStringLiteral("T529"));
    QCOMPARE(f.child<QLabel>("warningLabel")->text(), QStringLiteral("T531"));
    QCOMPARE(f.child("UpdateWarningLabel")->size(), QSize(705, 48));
    for (const char *name : {"MoustToLeftButton", "MoustToRightButton", "closeButton", "versionLabel"})
        QVERIFY2(f.child(name)->isVisible(), name);
    // One picture per model, the row from the third on.
    QCOMPARE(f.dialog->offeredTypes().size(), modelTable().size());
    QCOMPARE(f.dialog->firstVisibleIndex(), 2);
    QCOMPARE(f.dialog->visibleTypes(), f.dialog->offeredTypes().mid(2, UpdateMouseDialog::kVisibleCount));
    for (const QString &name : {QStringLiteral("MouseWidget_ox7"), QStringLiteral("MouseWidget_ox8")})
        QVERIFY(f.dialog->findChild<MouseWidget *>(name));
    // Every widget lies inside the dialog.
    for (QWidget *w : f.dialog->findChildren<QWidget *>()) {
        if (w->parentWidget() == f.dialog)
            QVERIFY2(f.dialog->rect().contains(w->geometry()), qPrintable(w->objectName()));
    }
}

void TstUpdateMouseDialog::bannerFollowsTheLanguage_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("banner");
    QTest::newRow("Chinese") << int(QLocale::Chinese) << "SimplifiedChinese";
    QTest::newRow("English") << int(QLocale::English) << "English";
    QTest::newRow("Korean") << int(QLocale::Korean) << "Korean";
    QTest::newRow("Ukrainian") << int(QLocale::Ukrainian) << "Ukrainian";
    QTest::newRow("a language without its own banner") << int(QLocale::French) << "English";
}

void TstUpdateMouseDialog::bannerFollowsTheLanguage()
{
    QFETCH(int, language);
    QFETCH(QString, banner);
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Language(language)));
    DialogFixture f;
    QLocale::setDefault(saved);
    const QString style = f.child("UpdateWarningLabel")->styleSheet();
    QCOMPARE(style, QStringLiteral("border-image: url(:/picture/banner/picture/UpdateWarning/%1.png);").arg(banner));
}

void TstUpdateMouseDialog::pictureRow()
{
    DialogFixture f;
    const QList<int> all = f.dialog->offeredTypes();
    const QList<int> start = f.dialog->visibleTypes();

    // Type 0 selects nothing and leaves the row.
    f.dialog->setCurrentMouseType(0);
    QCOMPARE(f.dialog->selectedType(), 0);
    QCOMPARE(f.dialog->visibleTypes(), start);

    // A model out of view comes into the row, checked; the others stay choosable.
    f.dialog->setCurrentMouseType(all.last());
    QCOMPARE(f.dialog->selectedType(), all.last());
    QVERIFY(f.dialog->visibleTypes().contains(all.last()));
    QCOMPARE(f.dialog->firstVisibleIndex(), int(all.size()) - UpdateMouseDialog::kVisibleCount);
    auto *picture = f.dialog->findChild<MouseWidget *>(QStringLiteral("MouseWidget_ox8"));
    QVERIFY(picture->isChecked());
    QVERIFY(!f.child("MoustToRightButton")->isEnabled());

    // The arrows move the row by one; the selection stays.
    clickNamed(f.dialog, QStringLiteral("MoustToLeftButton"));
    QCOMPARE(f.dialog->firstVisibleIndex(), int(all.size()) - UpdateMouseDialog::kVisibleCount - 1);
    QCOMPARE(f.dialog->selectedType(), all.last());
    for (int i = 0; i < all.size(); ++i)
        f.dialog->on_MoustToLeftButton_clicked();
    QCOMPARE(f.dialog->firstVisibleIndex(), 0);
    QVERIFY(!f.child("MoustToLeftButton")->isEnabled());
    QCOMPARE(f.dialog->visibleTypes(), all.mid(0, UpdateMouseDialog::kVisibleCount));

    // A click on a picture chooses it.
    auto *first = f.dialog->findChild<MouseWidget *>(QStringLiteral("MouseWidget_") + QStringLiteral("ox2"));
    QVERIFY(first && first->isVisible());
    QTest::mouseClick(first, Qt::LeftButton);
    QCOMPARE(f.dialog->selectedType(), int(Ox2));
    QVERIFY(!picture->isChecked());
}

void TstUpdateMouseDialog::lockedState()
{
    DialogFixture f;
    f.dialog->setCurrentMouseType(Ox7);
    f.dialog->setLockedState(true);
    for (MouseWidget *p : f.dialog->findChildren<MouseWidget *>())
        QCOMPARE(p->isEnabled(), p->mouseType() == int(Ox7));
    // Locked, a click on another picture changes nothing.
    auto *other = f.dialog->findChild<MouseWidget *>(QStringLiteral("MouseWidget_ox7q"));
    QVERIFY(other->isVisible());
    QTest::mouseClick(other, Qt::LeftButton);
    QCOMPARE(f.dialog->selectedType(), int(Ox7));
    f.dialog->setLockedState(false);
    for (MouseWidget *p : f.dialog->findChildren<MouseWidget *>())
        QVERIFY(p->isEnabled());
    f.dialog->slot_OtherMouseBeGray(Ox4);
    QCOMPARE(f.dialog->selectedType(), int(Ox4));
    for (MouseWidget *p : f.dialog->findChildren<MouseWidget *>())
        QCOMPARE(p->isEnabled(), p->mouseType() == int(Ox4));
}

void TstUpdateMouseDialog::updateButton_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("local");
    QTest::addColumn<QString>("package"); // "good", "html", "short" or "" for none, in the source used
    QTest::addColumn<int>("warning");     // -1: none
    QTest::addColumn<QString>("flashed"); // the folder name handed to the flasher; empty: nothing
    QTest::addColumn<QString>("notice");  // warningLabel afterwards

    QTest::newRow("family A: the downloaded package to the flasher") << int(Ox7) << false << "good" << -1 << "ox7"
                                                                      << "T528";
    QTest::newRow("family A: the installed package to the flasher") << int(Ox4Q) << true << "good" << -1 << "ox4q"
                                                                     << "T528";
    QTest::newRow("OX7EU: the flasher, on this system") << int(Ox7EU) << false << "good" << -1 << "ox7eu" << "T528";
    QTest::newRow("no package: warning 49, nothing flashed") << int(Ox4) << true << "" << 49 << "" << "T528";
    QTest::newRow("an error page as package: warning 49") << int(Ox4) << false << "html" << 49 << "" << "T528";
    QTest::newRow("a cut-off package: warning 49") << int(Ox7C) << false << "short" << 49 << "" << "T528";
    QTest::newRow("family B: the Windows tool notice, nothing started") << int(Ox6) << true << "good" << -1 << ""
                                                                         << "T765";
    QTest::newRow("family C: the same") << int(Ox5) << false << "good" << -1 << "" << "T765";
    QTest::newRow("OX8: the same") << int(Ox8) << true << "" << -1 << "" << "T765";
    QTest::newRow("no model: choose one first") << 0 << true << "" << -1 << "" << "T531";
}

void TstUpdateMouseDialog::updateButton()
{
    QFETCH(int, type);
    QFETCH(bool, local);
    QFETCH(QString, package);
    QFETCH(int, warning);
    QFETCH(QString, flashed);
    QFETCH(QString, notice);
    DialogFixture f;
    RecordingUrlOpener opener;
    const PackageSource source = local ? PackageSource::Local : PackageSource::Clouds;
    if (package == QLatin1String("good"))
        writePackage(type, source, image(4000));
    else if (package == QLatin1String("html"))
        writePackage(type, source, "<html><body>" + QByteArray(500, 'x') + "</body></html>");
    else if (package == QLatin1String("short"))
        writePackage(type, source, image(40));
    // The other source holds a good package that must not be taken instead.
    if (type != 0)
        writePackage(type, local ? PackageSource::Clouds : PackageSource::Local, image(3000));

    QSignalSpy warnings(f.dialog, &UpdateMouseDialog::sig_ShowWarningDialog);
    QSignalSpy flash(f.dialog, &UpdateMouseDialog::sig_UpdateFirmwareKorvan);
    f.dialog->setLocalUpdateState(local);
    f.dialog->setCurrentMouseType(type);
    auto *button = f.child<QPushButton>("updateFirmwareButton");
    QCOMPARE(button->isEnabled(), notice != QLatin1String("T765"));
    clickNamed(f.dialog, QStringLiteral("updateFirmwareButton"));
    f.dialog->slot_UpdateFirmware(); // also when asked for without the button

    QCOMPARE(warnings.count(), warning < 0 ? 0 : 2);
    if (warning >= 0)
        QCOMPARE(warnings.at(0).at(0).toInt(), warning);
    QCOMPARE(flash.count(), flashed.isEmpty() ? 0 : 1);
    if (!flashed.isEmpty()) {
        QCOMPARE(flash.at(0).at(0).toString(), packagePath(type, source));
        QCOMPARE(flash.at(0).at(1).toString(), flashed);
        QVERIFY(f.dialog->isUpdating());
        QVERIFY(!button->isEnabled());
        QVERIFY(!f.child("closeButton")->isEnabled());
        QVERIFY(f.child("updateProgressBar")->isVisible());
    } else {
        QVERIFY(!f.dialog->isUpdating());
        QCOMPARE(button->isEnabled(), notice != QLatin1String("T765"));
    }
    QCOMPARE(f.child<QLabel>("warningLabel")->text(), notice);
    // Nothing is ever opened: the Windows updater does not run here.
    f.dialog->slot_runUpdateExe();
    QVERIFY(opener.urls.isEmpty());
    QVERIFY(!f.dialog->shortTimer().isActive());
}

void TstUpdateMouseDialog::lockedUpdateAsksFirst()
{
    DialogFixture f;
    writePackage(Ox7, PackageSource::Local, image(4000));
    QSignalSpy warnings(f.dialog, &UpdateMouseDialog::sig_ShowWarningDialog);
    QSignalSpy flash(f.dialog, &UpdateMouseDialog::sig_UpdateFirmwareKorvan);
    f.dialog->setCurrentMouseType(Ox7);
    f.dialog->setLockedState(true);
    clickNamed(f.dialog, QStringLiteral("updateFirmwareButton"));
    QCOMPARE(warnings.count(), 1);
    QCOMPARE(warnings.at(0).at(0).toInt(), int(Warning::UpdateLockedModel));
    QCOMPARE(flash.count(), 0);
    // The window starting it at once asks the same way.
    f.dialog->startUpdateNow();
    QCOMPARE(warnings.count(), 2);
    QCOMPARE(flash.count(), 0);
    // Warning 39 confirmed: the update runs.
    f.dialog->slot_UpdateFirmware();
    QCOMPARE(flash.count(), 1);
    QCOMPARE(flash.at(0).at(1).toString(), QStringLiteral("ox7"));
    // A second request while it runs starts nothing.
    f.dialog->slot_UpdateFirmware();
    f.dialog->startUpdateNow();
    QCOMPARE(flash.count(), 1);
}

void TstUpdateMouseDialog::progressWhileFlashing()
{
    DialogFixture f;
    writePackage(Ox7, PackageSource::Clouds, image(4000));
    f.dialog->setLocalUpdateState(false);
    f.dialog->setCurrentMouseType(Ox7);
    auto *bar = f.child<QProgressBar>("updateProgressBar");
    f.dialog->slot_UpdateProgress(30); // before any update: ignored
    QVERIFY(!bar->isVisible());
    f.dialog->on_updateFirmwareButton_clicked();
    QVERIFY(f.dialog->isUpdating());
    QCOMPARE(bar->value(), 0);
    f.dialog->slot_UpdateProgress(40);
    QCOMPARE(bar->value(), 40);
    f.dialog->slot_UpdateProgress(140);
    QCOMPARE(bar->value(), 100);
    QVERIFY(!f.child("MoustToLeftButton")->isEnabled());
    // The flasher ended (say it failed): the dialog can start again.
    f.dialog->slot_UpdateFinished();
    QVERIFY(!f.dialog->isUpdating());
    QVERIFY(!bar->isVisible());
    QVERIFY(f.child("updateFirmwareButton")->isEnabled());
    QVERIFY(f.child("closeButton")->isEnabled());
    f.dialog->slot_UpdateButtonEnable();
    QVERIFY(f.child("updateFirmwareButton")->isVisible());
}

void TstUpdateMouseDialog::countdownAndClosing()
{
    DialogFixture f;
    QSignalSpy analytics(f.dialog, &UpdateMouseDialog::sig_SendUIEventMessageToGA);
    f.dialog->slot_shortTimeOut();
    QCOMPARE(f.dialog->countdown(), 19);
    QCOMPARE(f.child<QLabel>("timeLabel")->text(), QStringLiteral("19s"));
    f.dialog->slot_longTimeOut();
    QVERIFY(!f.dialog->isVisible());

    f.dialog->show();
    clickNamed(f.dialog, QStringLiteral("closeButton"));
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(analytics.count(), 1);
    QCOMPARE(analytics.at(0).at(1).toString(), QStringLiteral("关闭"));
    QCOMPARE(analytics.at(0).at(3).toString(), QStringLiteral("更新界面"));
}

void TstUpdateMouseDialog::versionText()
{
    DialogFixture f;
    f.dialog->setFirmwareVersion(QStringLiteral("32"));
    QCOMPARE(f.child<QLabel>("versionLabel")->text(), QStringLiteral("T521: 32.0"));
    // Version 3 of an OX6 starts its updater at once: here only the notice.
    RecordingUrlOpener opener;
    f.dialog->setCurrentMouseType(Ox6);
    f.dialog->setFirmwareVersion(QStringLiteral("3"));
    QVERIFY(opener.urls.isEmpty());
    QCOMPARE(f.child<QLabel>("warningLabel")->text(), QStringLiteral("T765"));
}

QTEST_MAIN(TstUpdateMouseDialog)
#include "tst_updatemousedialog.moc"
