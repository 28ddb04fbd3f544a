// The warning dialog driven through its buttons: texts per type, what OK
// and Cancel do, the no-longer-remind choice and the wake-up help.
#include "shell/dialogs/vendorsite.h"
#include "shell/dialogs/warningdialog.h"
#include "config/inistores.h"
#include "discovery/models.h"
#include "tests/common/testutil.h"
#include "tests/common/widgettestutil.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QtTest>

#include <memory>

namespace {

// Every action signal of the dialog, spied at once, so a row can say that
// exactly one (or none) of them fired.
const char *const kActionSignals[] = {
    SIGNAL(sig_QuitUser()),
    SIGNAL(sig_ResetMouseToOriginal()),
    SIGNAL(sig_ChangeConfiFileBeforeStartToUploadFile()),
    SIGNAL(sig_StarToDownloadFile()),
    SIGNAL(sig_GetMouseProfileAgain()),
    SIGNAL(sig_GoToMatchCodePage()),
    SIGNAL(sig_DownloadAndUpdateFirmwareNow()),
    SIGNAL(sig_UpdateFirmwareNow()),
    SIGNAL(sig_UpdateFirmwareNow_Halden()),
    SIGNAL(sig_SaveCurrentProfileFileToConfig1()),
    SIGNAL(sig_ConfigRevcover(int)),
    SIGNAL(sig_GoToSupportWidget()),
    SIGNAL(sig_ShowUpdateWidget(bool, bool, int, bool)),
    SIGNAL(sig_UpdateButtonEnable()),
    SIGNAL(sig_OpenMouseAgain()),
    SIGNAL(sig_exitSoftware()),
    SIGNAL(sig_RestartSoftware()),
};

// The dialog over a window-sized host, as the main window shows it.
struct DialogFixture
{
    DialogFixture()
    {
        host.resize(960, 640);
        dialog = new WarningDialog(&host);
        host.show();
        for (const char *signal : kActionSignals)
            spies.emplace_back(std::make_unique<QSignalSpy>(dialog, signal));
    }
    void apply(int type)
    {
        dialog->setWarningType(type);
        dialog->show();
    }
    // Names of the action signals that fired, in declaration order.
    QStringList fired() const
    {
        QStringList out;
        for (const auto &spy : spies) {
            if (!spy->isEmpty())
                out << QString::fromLatin1(spy->signal()).section(QLatin1Char('('), 0, 0);
        }
        return out;
    }
    QPushButton *button(const char *name) const { return childNamed<QPushButton>(dialog, QLatin1String(name)); }
    QString title() const { return childNamed<QLabel>(dialog, QStringLiteral("Title_Label"))->text(); }
    QString body() const { return childNamed<QTextEdit>(dialog, QStringLiteral("WarningTextEdit"))->toPlainText(); }
    bool visible(const char *name) const { return childNamed<QWidget>(dialog, QLatin1String(name))->isVisible(); }

    QWidget host;
    WarningDialog *dialog = nullptr;
    std::vector<std::unique_ptr<QSignalSpy>> spies;
};

} // namespace

class TstWarningDialog : public QObject
{
    Q_OBJECT

private slots:
    void buttonActions_data();
    void buttonActions();
    void updateOfferCarriesTheCurrentModel();
    void texts_data();
    void texts();
    void missingLanguageTextsShowEmpty();
    void messageVariant_data();
    void messageVariant();
    void noLongerRemind_data();
    void noLongerRemind();
    void wakeUpHelpBehavesLikeType33();
    void wakeUpHelpOnlyForAReceiver();
    void supportButtonOpensVendorSite();
    void escapeIsCancel_data();
    void escapeIsCancel();
    void tabStaysInside();
};

void TstWarningDialog::buttonActions_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("expected"); // the one action signal, or empty

    const QString ok = QStringLiteral("OkButton");
    const QString cancel = QStringLiteral("Cancle_Button");
    QTest::newRow("0 OK resets the mouse") << 0 << ok << "sig_ResetMouseToOriginal";
    QTest::newRow("0 Cancel does nothing") << 0 << cancel << "";
    QTest::newRow("2 OK prepares the upload") << 2 << ok << "sig_ChangeConfiFileBeforeStartToUploadFile";
    QTest::newRow("3 OK logs out") << 3 << ok << "sig_QuitUser";
    QTest::newRow("3 Cancel stays logged in") << 3 << cancel << "";
    QTest::newRow("28 OK logs out") << 28 << ok << "sig_QuitUser";
    QTest::newRow("4 OK starts the download") << 4 << ok << "sig_StarToDownloadFile";
    QTest::newRow("7 OK enables the update button") << 7 << ok << "sig_UpdateButtonEnable";
    QTest::newRow("8 OK reopens the mouse") << 8 << ok << "sig_OpenMouseAgain";
    QTest::newRow("14 OK ends the program") << 14 << ok << "sig_exitSoftware";
    QTest::newRow("14 Cancel only closes") << 14 << cancel << "";
    QTest::newRow("31 OK only closes") << 31 << ok << "";
    QTest::newRow("25 OK offers the update") << 25 << ok << "sig_ShowUpdateWidget";
    QTest::newRow("26 OK offers the update") << 26 << ok << "sig_ShowUpdateWidget";
    QTest::newRow("26 Cancel does nothing") << 26 << cancel << "";
    QTest::newRow("48 OK offers the update") << 48 << ok << "sig_ShowUpdateWidget";
    QTest::newRow("32 OK reads the mouse again") << 32 << ok << "sig_GetMouseProfileAgain";
    QTest::newRow("32 Cancel only closes") << 32 << cancel << "";
    QTest::newRow("8 Cancel only closes") << 8 << cancel << "";
    QTest::newRow("53 Cancel only closes") << 53 << cancel << "";
    QTest::newRow("33 OK opens pairing") << 33 << ok << "sig_GoToMatchCodePage";
    QTest::newRow("33 Cancel reads the mouse again") << 33 << cancel << "sig_GetMouseProfileAgain";
    QTest::newRow("34 OK downloads and updates") << 34 << ok << "sig_DownloadAndUpdateFirmwareNow";
    QTest::newRow("35 OK goes to support") << 35 << ok << "sig_GoToSupportWidget";
    QTest::newRow("38 OK keeps the mouse's settings") << 38 << ok << "sig_SaveCurrentProfileFileToConfig1";
    QTest::newRow("38 Cancel restores profile 1") << 38 << cancel << "sig_ConfigRevcover";
    QTest::newRow("39 OK updates") << 39 << ok << "sig_UpdateFirmwareNow";
    QTest::newRow("41 OK updates with the separate updater") << 41 << ok << "sig_UpdateFirmwareNow_Halden";
    QTest::newRow("47 OK restarts") << 47 << ok << "sig_RestartSoftware";
    QTest::newRow("10 OK is a notice") << 10 << ok << "";
    QTest::newRow("unknown type OK only closes") << 999 << ok << "";
    QTest::newRow("unknown type Cancel only closes") << 999 << cancel << "";
    QTest::newRow("negative type OK only closes") << -5 << ok << "";
}

void TstWarningDialog::buttonActions()
{
    QFETCH(int, type);
    QFETCH(QString, button);
    QFETCH(QString, expected);

    TempAppDir app;
    NumberedLanguageTable texts;
    RecordingUrlOpener opener;
    DialogFixture f;
    f.apply(type);
    QSignalSpy analytics(f.dialog, &WarningDialog::sig_SendUIEventMessageToGA);
    QPushButton *b = f.button(button.toLatin1().constData());
    QVERIFY2(b->isVisible(), "the button to press is shown");
    const QString buttonText = b->toolTip();

    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center());

    QCOMPARE(f.fired(), expected.isEmpty() ? QStringList() : QStringList{expected});
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(analytics.count(), 1);
    QCOMPARE(analytics.at(0).at(1).toString(), f.title());
    QCOMPARE(analytics.at(0).at(2).toString(), buttonText);
    if (expected == QLatin1String("sig_ConfigRevcover"))
        QCOMPARE(f.spies.at(10)->at(0).at(0).toInt(), 1);
    QVERIFY(opener.urls.isEmpty());
}

void TstWarningDialog::updateOfferCarriesTheCurrentModel()
{
    NumberedLanguageTable texts;
    DialogFixture f;
    setCurrentMouseType(18);
    f.apply(26);
    QSignalSpy offer(f.dialog, &WarningDialog::sig_ShowUpdateWidget);
    clickNamed(f.dialog, QStringLiteral("OkButton"));
    setCurrentMouseType(0);
    QCOMPARE(offer.count(), 1);
    QCOMPARE(offer.at(0), (QVariantList{false, true, 18, false}));
    QVERIFY(!f.visible("WarningWidget"));
}

void TstWarningDialog::texts_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("okText");
    QTest::addColumn<QString>("cancelText");
    QTest::addColumn<bool>("remindBox");

    using T = NumberedLanguageTable;
    QTest::newRow("two entries keep the default buttons") << 0 << T::text(1) << T::text(2) << T::text(116)
                                                          << T::text(117) << false;
    QTest::newRow("1 has four entries and the remind box") << 1 << T::text(40) << T::text(41) << T::text(42)
                                                           << T::text(43) << true;
    QTest::newRow("52 is 1 without the remind box") << 52 << T::text(40) << T::text(41) << T::text(42)
                                                    << T::text(43) << false;
    QTest::newRow("three entries keep Cancel with its default text") << 8 << T::text(37) << T::text(38)
                                                                     << T::text(39) << T::text(117) << false;
    QTest::newRow("14 may be cancelled instead of ending the program") << 14 << T::text(83) << T::text(84)
                                                                       << T::text(277) << T::text(117) << false;
    QTest::newRow("32 may be cancelled instead of reading again") << 32 << T::text(58) << T::text(59) << T::text(60)
                                                                  << T::text(117) << false;
    QTest::newRow("26 names both buttons") << 26 << T::text(46) << T::text(47) << T::text(277) << T::text(278)
                                           << false;
    QTest::newRow("37 takes its body from 346") << 37 << T::text(67) << T::text(346) << T::text(68)
                                                << T::text(279) << false;
    QTest::newRow("48 uses its title for OK") << 48 << T::text(353) << T::text(354) << T::text(353)
                                              << T::text(355) << false;
    QTest::newRow("53 up to date") << 53 << T::text(369) << T::text(370) << T::text(116) << T::text(117) << false;
    QTest::newRow("unknown type shows the empty frame") << 999 << "" << "" << T::text(116) << T::text(117)
                                                        << false;
}

void TstWarningDialog::texts()
{
    QFETCH(int, type);
    QFETCH(QString, title);
    QFETCH(QString, body);
    QFETCH(QString, okText);
    QFETCH(QString, cancelText);
    QFETCH(bool, remindBox);

    NumberedLanguageTable table;
    DialogFixture f;
    f.apply(type);
    QVERIFY(f.visible("WarningWidget"));
    QVERIFY(!f.visible("UpdateWidget"));
    QCOMPARE(f.title(), title);
    QCOMPARE(f.body(), body);
    QCOMPARE(f.button("OkButton")->toolTip(), okText);
    QVERIFY(f.visible("Cancle_Button"));
    QCOMPARE(f.button("Cancle_Button")->toolTip(), cancelText);
    // Side by side inside the frame.
    QVERIFY(!f.button("Cancle_Button")->geometry().intersects(f.button("OkButton")->geometry()));
    QCOMPARE(f.visible("NoLongerRemindCheckBox"), remindBox);
    QCOMPARE(f.dialog->geometry(), QRect(0, 0, 960, 640));
    QCOMPARE(childNamed<QWidget>(f.dialog, QStringLiteral("WarningWidget"))->pos(), QPoint(314, 229));
}

void TstWarningDialog::missingLanguageTextsShowEmpty()
{
    setLanguageTexts({});
    DialogFixture f;
    for (int type = -2; type < 70; ++type) {
        f.apply(type);
        QVERIFY(f.title().isEmpty());
        QVERIFY(f.body().isEmpty());
        QVERIFY(f.button("OkButton")->text().isEmpty());
    }
    // The progress variant too.
    f.apply(13);
    QVERIFY(f.visible("UpdateWidget"));
    QVERIFY(childNamed<QLabel>(f.dialog, QStringLiteral("updatingLabel"))->text().isEmpty());
}

void TstWarningDialog::messageVariant_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("progress");

    using T = NumberedLanguageTable;
    QTest::newRow("54 shows the server's message") << 54 << "server says no" << T::text(583) << "server says no"
                                                   << false;
    QTest::newRow("a message replaces the type's body") << 16 << "timed out at 12:00" << T::text(19)
                                                        << "timed out at 12:00" << false;
    QTest::newRow("no message keeps the type's body") << 16 << "" << T::text(19) << T::text(20) << false;
    QTest::newRow("progress types ignore the message") << 12 << "ignored" << "" << "" << true;
}

void TstWarningDialog::messageVariant()
{
    QFETCH(int, type);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(QString, body);
    QFETCH(bool, progress);

    NumberedLanguageTable table;
    DialogFixture f;
    f.dialog->setWarningTypeWithMessage(type, message);
    f.dialog->show();
    QCOMPARE(f.visible("WarningWidget"), !progress);
    QCOMPARE(f.visible("UpdateWidget"), progress);
    QCOMPARE(f.title(), title);
    QCOMPARE(f.body(), body);
    if (progress)
        QCOMPARE(childNamed<QLabel>(f.dialog, QStringLiteral("updatingLabel"))->text(), NumberedLanguageTable::text(280));
}

void TstWarningDialog::noLongerRemind_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("downloadPath");
    QTest::addColumn<bool>("notRemind");
    QTest::addColumn<QString>("opened"); // empty: nothing opened

    const QString ok = QStringLiteral("OkButton");
    const QString cancel = QStringLiteral("Cancle_Button");
    const QString centre = vendorSiteUrl(QStringLiteral("/downloadcenter")).toString();
    const QString package = QStringLiteral("https://downloads.example/ox8driver-1.0.deb");
    QTest::newRow("ticked and Cancel still remembers") << 1 << true << cancel << package << true << "";
    QTest::newRow("ticked and OK remembers and downloads") << 1 << true << ok << package << true << package;
    QTest::newRow("unticked OK downloads only") << 1 << false << ok << package << false << package;
    QTest::newRow("unticked Cancel writes nothing") << 1 << false << cancel << package << false << "";
    QTest::newRow("no path opens the download centre") << 52 << false << ok << "" << false << centre;
    QTest::newRow("a local file from the server opens the download centre")
        << 52 << false << ok << "file:///usr/bin/xterm" << false << centre;
    QTest::newRow("a script address opens the download centre")
        << 52 << false << ok << "javascript:alert(1)" << false << centre;
    QTest::newRow("a path without a scheme opens the download centre")
        << 52 << false << ok << "downloads.example/new.deb" << false << centre;
}

void TstWarningDialog::noLongerRemind()
{
    QFETCH(int, type);
    QFETCH(bool, tick);
    QFETCH(QString, button);
    QFETCH(QString, downloadPath);
    QFETCH(bool, notRemind);
    QFETCH(QString, opened);

    TempAppDir app;
    NumberedLanguageTable table;
    RecordingUrlOpener opener;
    DialogFixture f;
    f.dialog->setDownloadPath(downloadPath);
    f.apply(type);
    if (tick)
        clickNamed(f.dialog, QStringLiteral("NoLongerRemindCheckBox"));
    clickNamed(f.dialog, button);

    QCOMPARE(readNotRemind(), notRemind);
    QCOMPARE(opener.urls.isEmpty(), opened.isEmpty());
    if (!opened.isEmpty())
        QCOMPARE(opener.urls.at(0).toString(), opened);
}

void TstWarningDialog::wakeUpHelpBehavesLikeType33()
{
    NumberedLanguageTable table;
    DialogFixture viaButton;
    viaButton.dialog->setCurrentPid(PID_OX7_RECEIVER);
    viaButton.apply(36);
    QVERIFY(viaButton.visible("WakeUpMouseFailePushButton"));
    QCOMPARE(viaButton.button("OkButton")->toolTip(), NumberedLanguageTable::text(60));
    QVERIFY(viaButton.visible("Cancle_Button"));
    QSignalSpy analytics(viaButton.dialog, &WarningDialog::sig_SendUIEventMessageToGA);
    clickNamed(viaButton.dialog, QStringLiteral("WakeUpMouseFailePushButton"));
    QCOMPARE(analytics.count(), 1);
    QCOMPARE(analytics.at(0).at(2).toString(), NumberedLanguageTable::text(223));

    DialogFixture direct;
    direct.apply(33);

    QVERIFY(viaButton.dialog->isVisible());
    QCOMPARE(viaButton.dialog->warningType(), 33);
    QCOMPARE(viaButton.title(), direct.title());
    QCOMPARE(viaButton.body(), direct.body());
    for (const char *name : {"OkButton", "Cancle_Button"}) {
        QCOMPARE(viaButton.button(name)->toolTip(), direct.button(name)->toolTip());
        QCOMPARE(viaButton.button(name)->geometry(), direct.button(name)->geometry());
    }
    for (const char *name : {"Cancle_Button", "WakeUpMouseFailePushButton", "SupportButton", "NoLongerRemindCheckBox",
                             "UpdateWidget", "WarningWidget"})
        QCOMPARE(viaButton.visible(name), direct.visible(name));

    clickNamed(viaButton.dialog, QStringLiteral("Cancle_Button"));
    clickNamed(direct.dialog, QStringLiteral("Cancle_Button"));
    QCOMPARE(viaButton.fired(), QStringList{QStringLiteral("sig_GetMouseProfileAgain")});
    QCOMPARE(direct.fired(), viaButton.fired());
}

void TstWarningDialog::wakeUpHelpOnlyForAReceiver()
{
    NumberedLanguageTable table;
    DialogFixture f;
    f.dialog->setCurrentPid(PID_OX7_WIRED);
    f.apply(36);
    QVERIFY(!f.visible("WakeUpMouseFailePushButton"));
    // A later type hides what an earlier one showed.
    f.dialog->setCurrentPid(PID_OX7_RECEIVER);
    f.apply(36);
    QVERIFY(f.visible("WakeUpMouseFailePushButton"));
    f.apply(0);
    QVERIFY(!f.visible("WakeUpMouseFailePushButton"));
    QVERIFY(f.visible("Cancle_Button"));
}

void TstWarningDialog::supportButtonOpensVendorSite()
{
    NumberedLanguageTable table;
    RecordingUrlOpener opener;
    DialogFixture f;
    f.apply(7);
    QVERIFY(f.visible("SupportButton"));
    clickNamed(f.dialog, QStringLiteral("SupportButton"));
    QCOMPARE(opener.urls, QList<QUrl>{vendorSiteUrl()});
    QVERIFY(f.fired().isEmpty());
}

void TstWarningDialog::escapeIsCancel_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QString>("expected"); // the one action signal, or empty
    QTest::addColumn<bool>("notRemind");

    QTest::newRow("1 remembers the ticked box") << 1 << true << "" << true;
    QTest::newRow("38 falls back to profile 1") << 38 << true << "sig_ConfigRevcover" << false;
    QTest::newRow("33 reads the mouse again") << 33 << true << "sig_GetMouseProfileAgain" << false;
    QTest::newRow("0 only closes, never resets") << 0 << true << "" << false;
    QTest::newRow("14 only closes, never exits") << 14 << true << "" << false;
    QTest::newRow("unknown type only closes") << 999 << true << "" << false;
    QTest::newRow("progress display has nothing to cancel") << 12 << false << "" << false;
}

void TstWarningDialog::escapeIsCancel()
{
    QFETCH(int, type);
    QFETCH(bool, closes);
    QFETCH(QString, expected);
    QFETCH(bool, notRemind);

    TempAppDir app;
    NumberedLanguageTable table;
    DialogFixture f;
    QVERIFY(QTest::qWaitForWindowActive(&f.host));
    f.apply(type);
    if (type == 1)
        clickNamed(f.dialog, QStringLiteral("NoLongerRemindCheckBox"));
    // The key goes where the keyboard is, as a real key press would.
    QWidget *focus = QApplication::focusWidget();
    QVERIFY(focus == f.dialog || f.dialog->isAncestorOf(focus));
    QTest::keyClick(focus, Qt::Key_Escape);

    QCOMPARE(f.dialog->isVisible(), !closes);
    QCOMPARE(f.fired(), expected.isEmpty() ? QStringList() : QStringList{expected});
    if (expected == QLatin1String("sig_ConfigRevcover"))
        QCOMPARE(f.spies.at(10)->at(0).at(0).toInt(), 1);
    QCOMPARE(readNotRemind(), notRemind ? 1 : 0);
}

void TstWarningDialog::tabStaysInside()
{
    NumberedLanguageTable table;
    DialogFixture f;
    auto *beneath = new QPushButton(&f.host); // a page control under the overlay
    beneath->setGeometry(10, 10, 80, 24);
    beneath->show();
    f.dialog->raise();
    f.dialog->hide();
    QVERIFY(QTest::qWaitForWindowActive(&f.host));
    beneath->setFocus();
    f.apply(38); // the overlay appears over a focused page
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(f.dialog));

    QSet<QString> reached;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focus = QApplication::focusWidget();
        QVERIFY2(f.dialog->isAncestorOf(focus), qPrintable(focus ? focus->objectName() : QStringLiteral("none")));
        reached.insert(focus->objectName());
    }
    QCOMPARE(reached, (QSet<QString>{QStringLiteral("OkButton"), QStringLiteral("Cancle_Button")}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QVERIFY(f.dialog->isAncestorOf(QApplication::focusWidget()));

    // A key sent to the control beneath is dropped and the keyboard comes back.
    QSignalSpy pressed(beneath, &QPushButton::clicked);
    QTest::keyClick(beneath, Qt::Key_Space);
    QCOMPARE(pressed.count(), 0);
    QVERIFY(f.dialog->isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == f.dialog);

    // Closed, it gives the keyboard back to where it was.
    clickNamed(f.dialog, QStringLiteral("OkButton"));
    QCOMPARE(QApplication::focusWidget(), beneath);
    QTest::keyClick(beneath, Qt::Key_Space);
    QCOMPARE(pressed.count(), 1);
}

QTEST_MAIN(TstWarningDialog)
#include "tst_warningdialog.moc"
