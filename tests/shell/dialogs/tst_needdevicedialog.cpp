// The no-device dialog: its texts, the repair offer after its timer and the
// two buttons.
#include "shell/dialogs/needdevicedialog.h"
#include "tests/common/widgettestutil.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QtTest>

class TstNeedDeviceDialog : public QObject
{
    Q_OBJECT

private slots:
    void construction();
    void repairOfferedWhenTheTimerFires();
    void hidingStopsTheOfferAndShowingRestartsIt();
    void buttons();
};

void TstNeedDeviceDialog::construction()
{
    NumberedLanguageTable table;
    QWidget host;
    auto *d = new NeedDeviceDialog(&host);
    host.show();
    QVERIFY(!d->isWindow());
    QCOMPARE(childNamed<QLabel>(d, QStringLiteral("Title_Label"))->text(), NumberedLanguageTable::text(252));
    QCOMPARE(childNamed<QTextEdit>(d, QStringLiteral("WarningTextEdit"))->toPlainText(),
             NumberedLanguageTable::text(253));
    QCOMPARE(childNamed<QPushButton>(d, QStringLiteral("OkButton"))->toolTip(), NumberedLanguageTable::text(201));
    auto *repair = childNamed<QPushButton>(d, QStringLiteral("FirmwareRepairPushButton"));
    QCOMPARE(repair->toolTip(), NumberedLanguageTable::text(202));
    QVERIFY(!repair->isVisible());
    QVERIFY(d->repairTimer().isActive());
    QCOMPARE(d->repairTimer().interval(), 3800);
    QVERIFY(!d->repairTimer().isSingleShot());
}

void TstNeedDeviceDialog::repairOfferedWhenTheTimerFires()
{
    QWidget host;
    auto *d = new NeedDeviceDialog(&host);
    host.show();
    auto *repair = childNamed<QPushButton>(d, QStringLiteral("FirmwareRepairPushButton"));
    QVERIFY(!repair->isVisible());
    // The timer's own signal, without waiting 3.8 s for it.
    QVERIFY(QMetaObject::invokeMethod(const_cast<QTimer *>(&d->repairTimer()), "timeout"));
    QVERIFY(repair->isVisible());
}

void TstNeedDeviceDialog::hidingStopsTheOfferAndShowingRestartsIt()
{
    QWidget host;
    auto *d = new NeedDeviceDialog(&host);
    host.show();
    auto *repair = childNamed<QPushButton>(d, QStringLiteral("FirmwareRepairPushButton"));
    d->slot_TimeOut();
    QVERIFY(repair->isVisible());

    d->setHiddenState(true);
    QVERIFY(!d->isVisible());
    QVERIFY(!d->repairTimer().isActive());
    QVERIFY(repair->isHidden());

    d->setHiddenState(false);
    QVERIFY(d->isVisible());
    QVERIFY(d->repairTimer().isActive());
    QVERIFY(!repair->isVisible());
}

void TstNeedDeviceDialog::buttons()
{
    QWidget host;
    auto *d = new NeedDeviceDialog(&host);
    host.show();
    d->slot_TimeOut();
    QSignalSpy close(d, &NeedDeviceDialog::sig_closeWindow);
    QSignalSpy repair(d, &NeedDeviceDialog::sig_ShowUpdateWidget);

    clickNamed(d, QStringLiteral("FirmwareRepairPushButton"));
    QCOMPARE(repair.count(), 1);
    QCOMPARE(repair.at(0), (QVariantList{true, true, 0, false}));
    QCOMPARE(close.count(), 0);

    clickNamed(d, QStringLiteral("OkButton"));
    QCOMPARE(close.count(), 1);
}

QTEST_MAIN(TstNeedDeviceDialog)
#include "tst_needdevicedialog.moc"
