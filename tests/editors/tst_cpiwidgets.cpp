// The CPI row, its sliders and number boxes, and MoveSlider, driven through
// real mouse, key and hover events.
#include "editors/cpi/cpiform.h"
#include "editors/cpi/cpislider.h"
#include "editors/cpi/moveslider.h"
#include "editors/cpi/uspinbox.h"
#include "tests/common/widgettestutil.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {
// A row for the model with its level switched on at value.
struct RowFixture
{
    RowFixture(int mouseType, int level, int value, bool enabled = true)
        : row(nullptr, level)
    {
        row.setMouseType(mouseType);
        row.setCPIValue(value, enabled);
    }
    QCheckBox *checkBox() { return row.findChild<QCheckBox *>(QStringLiteral("CPICheckBox")); }
    QString label(const char *name) { return row.findChild<QLabel *>(QLatin1String(name))->text(); }
    CPIForm row;
};

void hoverLeave(QWidget *w)
{
    sendHover(w, QEvent::HoverLeave, QPointF(-1, -1), QPointF(5, 5));
}
} // namespace

class TestCpiWidgets : public QObject
{
    Q_OBJECT

private slots:
    void rowFollowsModel_data();
    void rowFollowsModel();
    void rebuildKeepsOneConnection();
    void sliderReleaseSnapsAndReports_data();
    void sliderReleaseSnapsAndReports();
    void sliderOtherButtonsOnlyReportMoving();
    void disabledSliderIgnoresThePointer();
    void sliderWheelChangesNothing();
    void typedValueCommits_data();
    void typedValueCommits();
    void validatorRefusesAboveRange();
    void focusLossWithoutEditSendsNothing();
    void hoverLeaveCommits_data();
    void hoverLeaveCommits();
    void stepButtonsReport_data();
    void stepButtonsReport();
    void heldArrowReportsOnce_data();
    void heldArrowReportsOnce();
    void spinBoxAndSliderFollowEachOther();
    void uncheckingAsksThePage();
    void checkingSendsValueOrDefault_data();
    void checkingSendsValueOrDefault();
    void setValueShowsStateWithoutSignals();
    void checkStateNeedsCheckable();
    void moveSliderJumpsAndReportsOnRelease();
    void moveSliderIgnoresWheelAndRightButton();
};

void TestCpiWidgets::rowFollowsModel_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QString>("middle");
    QTest::addColumn<bool>("twoSteps");

    QTest::newRow("OX7") << 11 << 50 << 16000 << "8000" << false;
    QTest::newRow("OX8") << 18 << 200 << 6200 << "3000" << false;
    QTest::newRow("OX4") << 12 << 200 << 5000 << "2500" << false;
    QTest::newRow("OX7Q") << 10 << 200 << 5000 << "2500" << false;
    QTest::newRow("OX7EU") << 14 << 200 << 10000 << "5000" << true;
}

void TestCpiWidgets::rowFollowsModel()
{
    QFETCH(int, mouseType);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(bool, twoSteps);
    RowFixture f(mouseType, 3, 1000);
    QCOMPARE(f.label("NumberLabel"), QStringLiteral("4"));
    QCOMPARE(f.label("LeftLabel"), QString::number(minimum));
    QTEST(f.label("MiddleLabel"), "middle");
    QCOMPARE(f.label("RightLabel"), QString::number(maximum));
    QCOMPARE(f.row.slider()->minimum(), minimum);
    QCOMPARE(f.row.slider()->maximum(), maximum);
    QCOMPARE(f.row.spinBox()->minimum(), minimum);
    QCOMPARE(f.row.spinBox()->maximum(), maximum);
    QCOMPARE(qobject_cast<TwoKindStepCPISlider *>(f.row.slider()) != nullptr, twoSteps);
    QCOMPARE(qobject_cast<TwoKindsStepUSpinBox *>(f.row.spinBox()) != nullptr, twoSteps);
    QCOMPARE(f.row.slider()->pos(), QPoint(37, 3));
    QCOMPARE(f.row.spinBox()->pos(), QPoint(252, 0));
    QCOMPARE(f.row.spinBox()->property("mainSpinBox").toInt(), 1);
}

void TestCpiWidgets::rebuildKeepsOneConnection()
{
    RowFixture f(11, 0, 800);
    QPointer<CPISlider> oldSlider = f.row.slider();
    f.row.setMouseType(14);
    f.row.setMouseType(14);
    QVERIFY(oldSlider.isNull());
    QCOMPARE(f.row.findChildren<CPISlider *>().size(), 1);
    QCOMPARE(f.row.findChildren<USpinBox *>().size(), 1);

    f.row.setCPIValue(5000, true);
    QSignalSpy values(&f.row, &CPIForm::sig_CurrentCPIValue);
    QTest::mouseClick(f.row.spinBox()->upButton(), Qt::LeftButton);
    QCOMPARE(values.size(), 1);
    QCOMPARE(values.at(0), (QVariantList{0, 5200}));
}

void TestCpiWidgets::sliderReleaseSnapsAndReports_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("expected");

    // The slider is 200 px wide: value = minimum + x / 200 * range, then snapped.
    QTest::newRow("OX7 step 50: 1246 snaps to 1200") << 11 << 15 << 1200;
    QTest::newRow("OX8 step 100: 230 snaps to 200") << 18 << 1 << 200;
    QTest::newRow("OX8 middle") << 18 << 100 << 3200;
    QTest::newRow("OX7EU 4953 takes the fine step") << 14 << 97 << 4900;
    QTest::newRow("OX7EU 5198 takes the coarse step") << 14 << 102 << 5000;
    QTest::newRow("OX7EU right end") << 14 << 200 << 10000;
    QTest::newRow("OX7EU left end") << 14 << 0 << 200;
}

void TestCpiWidgets::sliderReleaseSnapsAndReports()
{
    QFETCH(int, mouseType);
    QFETCH(int, x);
    QFETCH(int, expected);
    RowFixture f(mouseType, 2, 800);
    CPISlider *slider = f.row.slider();
    QSignalSpy moving(slider, &CPISlider::sig_IsMovingSlider);
    QSignalSpy values(&f.row, &CPIForm::sig_CurrentCPIValue);
    QSignalSpy kind(&f.row, &CPIForm::sig_CpiSliderChange);

    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, QPoint(x, 5));
    QCOMPARE(values.size(), 0); // nothing reaches the mouse while dragging
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(x, 5));

    QCOMPARE(moving.size(), 2);
    QCOMPARE(moving.at(0).at(0).toBool(), true);
    QCOMPARE(moving.at(1).at(0).toBool(), false);
    QCOMPARE(values.size(), 1);
    QCOMPARE(values.at(0), (QVariantList{2, expected}));
    QCOMPARE(kind.size(), 1);
    QCOMPARE(kind.at(0).at(0).toBool(), true);
    QCOMPARE(slider->value(), expected);
    QCOMPARE(f.row.spinBox()->value(), expected);
}

void TestCpiWidgets::sliderOtherButtonsOnlyReportMoving()
{
    RowFixture f(11, 0, 800);
    CPISlider *slider = f.row.slider();
    QSignalSpy moving(slider, &CPISlider::sig_IsMovingSlider);
    QSignalSpy values(&f.row, &CPIForm::sig_CurrentCPIValue);
    QTest::mousePress(slider, Qt::RightButton, Qt::NoModifier, QPoint(150, 5));
    QTest::mouseRelease(slider, Qt::RightButton, Qt::NoModifier, QPoint(150, 5));
    QCOMPARE(moving.size(), 2);
    QCOMPARE(values.size(), 0);
    QCOMPARE(slider->value(), 800);
}

void TestCpiWidgets::disabledSliderIgnoresThePointer()
{
    RowFixture f(11, 0, 800, false);
    CPISlider *slider = f.row.slider();
    QVERIFY(!slider->isEnabled());
    QSignalSpy moving(slider, &CPISlider::sig_IsMovingSlider);
    QSignalSpy values(&f.row, &CPIForm::sig_CurrentCPIValue);
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, QPoint(150, 5));
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(150, 5));
    QCOMPARE(moving.size(), 0);
    QCOMPARE(values.size(), 0);
    QCOMPARE(slider->value(), 800);
}

void TestCpiWidgets::sliderWheelChangesNothing()
{
    RowFixture f(11, 0, 800);
    QWheelEvent wheel(QPointF(50, 5), QPointF(50, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(f.row.slider(), &wheel);
    QCOMPARE(f.row.slider()->value(), 800);
    QCOMPARE(f.row.spinBox()->value(), 800);
}

void TestCpiWidgets::typedValueCommits_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("expected");

    QTest::newRow("17 with minimum 50 gives 50") << 11 << "17" << 50;
    QTest::newRow("7777 with step 50 gives 7750") << 11 << "7777" << 7750;
    QTest::newRow("6300 above OX8's maximum gives 6200") << 18 << "6300" << 6200;
    QTest::newRow("OX7EU 5100 gives 5000") << 14 << "5100" << 5000;
    QTest::newRow("OX7EU 4950 gives 4900") << 14 << "4950" << 4900;
}

void TestCpiWidgets::typedValueCommits()
{
    QFETCH(int, mouseType);
    QFETCH(QString, typed);
    QFETCH(int, expected);
    RowFixture f(mouseType, 5, 800);
    QLineEdit *edit = f.row.spinBox()->lineEdit();
    QSignalSpy values(&f.row, &CPIForm::sig_CurrentCPIValue);
    QSignalSpy kind(&f.row, &CPIForm::sig_CpiSliderChange);

    edit->selectAll();
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Return);

    QCOMPARE(values.size(), 1);
    QCOMPARE(values.at(0), (QVariantList{5, expected}));
    QCOMPARE(kind.size(), 1);
    QCOMPARE(kind.at(0).at(0).toBool(), false);
    QCOMPARE(edit->text(), QString::number(expected));
    QCOMPARE(f.row.slider()->value(), expected);
    QCOMPARE(f.row.spinBox()->lastValue(), expected);
}

void TestCpiWidgets::validatorRefusesAboveRange()
{
    RowFixture f(11, 0, 800);
    QLineEdit *edit = f.row.spinBox()->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("99999"));
    QCOMPARE(edit->text(), QStringLiteral("9999"));
    QTest::keyClicks(edit, QStringLiteral("x-"));
    QCOMPARE(edit->text(), QStringLiteral("9999"));
}

void TestCpiWidgets::focusLossWithoutEditSendsNothing()
{
    RowFixture f(11, 0, 800);
    QLineEdit *edit = f.row.spinBox()->lineEdit();
    QSignalSpy values(&f.row, &CPIForm::sig_CurrentCPIValue);
    emit edit->editingFinished(); // what a focus change without typing produces
    QCOMPARE(values.size(), 0);

    // Return twice after one edit writes the mouse once.
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("900"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(values.size(), 1);
}

void TestCpiWidgets::hoverLeaveCommits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("signals");
    QTest::addColumn<int>("shown");

    QTest::newRow("a typed value is committed and snapped") << "1234" << 1 << 1200;
    QTest::newRow("an unchanged value is not sent again") << "800" << 0 << 800;
    QTest::newRow("an emptied box gets its last value back") << "" << 1 << 800;
}

void TestCpiWidgets::hoverLeaveCommits()
{
    QFETCH(QString, text);
    QFETCH(int, shown);
    RowFixture f(11, 1, 800);
    QLineEdit *edit = f.row.spinBox()->lineEdit();
    QSignalSpy values(&f.row, &CPIForm::sig_CurrentCPIValue);
    edit->setText(text);
    hoverLeave(edit);
    QTEST(int(values.size()), "signals");
    if (!values.isEmpty())
        QCOMPARE(values.last(), (QVariantList{1, shown}));
    QCOMPARE(edit->text(), QString::number(shown));
    QVERIFY(!edit->hasFocus());
}

void TestCpiWidgets::stepButtonsReport_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QList<int>>("sent");

    QTest::newRow("OX7EU 5000 up is 5200") << 14 << 5000 << true << QList<int>{5200};
    QTest::newRow("OX7EU 5000 down is 4900") << 14 << 5000 << false << QList<int>{4900};
    QTest::newRow("up at the maximum sends nothing") << 11 << 16000 << true << QList<int>{};
    QTest::newRow("down at the minimum sends nothing") << 18 << 200 << false << QList<int>{};
    QTest::newRow("step 50 up") << 3 << 800 << true << QList<int>{850};
}

void TestCpiWidgets::stepButtonsReport()
{
    QFETCH(int, mouseType);
    QFETCH(int, start);
    QFETCH(bool, up);
    QFETCH(QList<int>, sent);
    RowFixture f(mouseType, 6, start);
    QSignalSpy values(f.row.spinBox(), &USpinBox::sig_SpinBoxValueChange);
    QTest::mouseClick(up ? f.row.spinBox()->upButton() : f.row.spinBox()->downButton(), Qt::LeftButton);
    QList<int> got;
    for (const QList<QVariant> &args : values)
        got << args.at(0).toInt();
    QCOMPARE(got, sent);
}

void TestCpiWidgets::heldArrowReportsOnce_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("end"); // how the hold ends
    QTest::addColumn<int>("extraReports"); // reports after the first one

    QTest::newRow("released on the arrow") << 800 << "release" << 0;
    QTest::newRow("pointer slides off the arrow") << 800 << "slide off" << 0;
    QTest::newRow("quiet time while still held") << 800 << "quiet" << 1;
    QTest::newRow("held against the maximum") << 15800 << "maximum" << 0;
}

void TestCpiWidgets::heldArrowReportsOnce()
{
    QFETCH(int, start);
    QFETCH(QString, end);
    QFETCH(int, extraReports);

    RowFixture f(11, 0, start); // 50..16000, step 50
    USpinBox *spin = f.row.spinBox();
    spin->setQuietTimeMs(1000000); // fired by hand below
    QPushButton *up = spin->upButton();
    up->setAutoRepeatDelay(0);
    up->setAutoRepeatInterval(1);
    QSignalSpy reports(spin, &USpinBox::sig_SpinBoxValueChange);
    QSignalSpy rowReports(&f.row, &CPIForm::sig_CurrentCPIValue);

    // Held down, the arrow repeats: the box and the slider move, nothing is sent.
    QTest::mousePress(up, Qt::LeftButton);
    const int target = end == QLatin1String("maximum") ? 16000 : start + 150;
    QTRY_VERIFY(spin->value() >= target);
    if (end == QLatin1String("maximum")) {
        // Nothing more can come: the top value goes out at once.
        QTRY_COMPARE(reports.count(), 1);
    } else {
        up->setAutoRepeatInterval(1000000); // no more repeats after the next one
        QCOMPARE(reports.count(), 0);
    }
    QCOMPARE(f.row.slider()->value(), spin->value());
    QVERIFY(spin->hasPendingSteps() == (end != QLatin1String("maximum")));

    if (end == QLatin1String("release")) {
        QTest::mouseRelease(up, Qt::LeftButton);
    } else if (end == QLatin1String("slide off")) {
        const QPoint off(-20, -20);
        QMouseEvent move(QEvent::MouseMove, off, up->mapToGlobal(off), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(up, &move);
        QTest::mouseRelease(up, Qt::LeftButton, Qt::NoModifier, off);
    } else if (end == QLatin1String("quiet")) {
        QVERIFY(spin->quietTimer().isActive());
        QVERIFY(QMetaObject::invokeMethod(const_cast<QTimer *>(&spin->quietTimer()), "timeout"));
        QCOMPARE(reports.count(), 1);
        QCOMPARE(reports.at(0).at(0).toInt(), spin->value());
        QTest::mouseRelease(up, Qt::LeftButton); // the release click is one more step
    } else {
        QTest::mouseRelease(up, Qt::LeftButton);
    }

    QTRY_COMPARE(reports.count(), 1 + extraReports);
    QCoreApplication::processEvents();
    QCOMPARE(reports.count(), 1 + extraReports);
    QCOMPARE(reports.last().at(0).toInt(), spin->value());
    QCOMPARE(rowReports.count(), reports.count());
    QCOMPARE(rowReports.last(), (QVariantList{0, spin->value()}));
    QVERIFY(!spin->hasPendingSteps());
}

void TestCpiWidgets::spinBoxAndSliderFollowEachOther()
{
    RowFixture f(18, 0, 800);
    f.row.spinBox()->setValueAndNotify(2000);
    QCOMPARE(f.row.slider()->value(), 2000);
    // setValueAndNotify never shows a value outside the range.
    f.row.spinBox()->setValueAndNotify(10);
    QCOMPARE(f.row.spinBox()->value(), 200);
    f.row.spinBox()->setValueAndNotify(99999);
    QCOMPARE(f.row.spinBox()->value(), 6200);
}

void TestCpiWidgets::uncheckingAsksThePage()
{
    RowFixture f(11, 4, 3000);
    QSignalSpy ask(&f.row, &CPIForm::sig_CheckIsLastOneCpi);
    QSignalSpy values(&f.row, &CPIForm::sig_CurrentCPIValue);
    QTest::mouseClick(f.checkBox(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 9));
    QCOMPARE(ask.size(), 1);
    QCOMPARE(ask.at(0), (QVariantList{4, 3000}));
    QCOMPARE(values.size(), 0);
    QVERIFY(!f.row.slider()->isEnabled());
    QVERIFY(!f.row.spinBox()->isEnabled());
}

void TestCpiWidgets::checkingSendsValueOrDefault_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("sent");

    QTest::newRow("a remembered value comes back") << 11 << 2 << 2400 << 2400;
    QTest::newRow("0 gives OX7's default of level 3") << 11 << 2 << 0 << 1500;
    QTest::newRow("below the minimum gives OX8's default of level 7") << 18 << 6 << 100 << 3000;
    QTest::newRow("OX7Q has 200 for every level") << 10 << 0 << 0 << 200;
}

void TestCpiWidgets::checkingSendsValueOrDefault()
{
    QFETCH(int, mouseType);
    QFETCH(int, level);
    QFETCH(int, shown);
    QFETCH(int, sent);
    RowFixture f(mouseType, level, shown, false);
    QSignalSpy values(&f.row, &CPIForm::sig_CurrentCPIValue);
    QSignalSpy ask(&f.row, &CPIForm::sig_CheckIsLastOneCpi);
    QTest::mouseClick(f.checkBox(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 9));
    QCOMPARE(ask.size(), 0);
    QCOMPARE(values.size(), 1);
    QCOMPARE(values.at(0), (QVariantList{level, sent}));
    QCOMPARE(f.row.spinBox()->value(), sent);
    QCOMPARE(f.row.slider()->value(), sent);
    QVERIFY(f.row.slider()->isEnabled());
    QVERIFY(f.row.isCheckState());
}

void TestCpiWidgets::setValueShowsStateWithoutSignals()
{
    RowFixture f(11, 0, 800);
    QSignalSpy values(&f.row, &CPIForm::sig_CurrentCPIValue);
    QSignalSpy ask(&f.row, &CPIForm::sig_CheckIsLastOneCpi);
    f.row.setCPIValue(0, false);
    QVERIFY(!f.row.isChecked());
    QVERIFY(!f.row.spinBox()->isEnabled());
    f.row.setCPIValue(3200, true);
    QVERIFY(f.row.isChecked());
    QVERIFY(f.row.slider()->isEnabled());
    QCOMPARE(f.row.slider()->value(), 3200);
    QCOMPARE(f.row.spinBox()->value(), 3200);
    QCOMPARE(values.size(), 0);
    QCOMPARE(ask.size(), 0);
}

void TestCpiWidgets::checkStateNeedsCheckable()
{
    RowFixture f(11, 0, 800);
    f.row.setIsCheckState(true);
    QVERIFY(f.row.isCheckState());
    f.row.setCheckEnabled(false);
    QVERIFY(!f.row.isCheckState());
    f.row.setIsCheckState(true);
    QVERIFY(!f.row.isCheckState());
    f.row.setCheckEnabled(true);
    f.row.setIsCheckState(true);
    QVERIFY(f.row.isCheckState());
}

void TestCpiWidgets::moveSliderJumpsAndReportsOnRelease()
{
    MoveSlider slider;
    QCOMPARE(slider.lowerBound(), 5);
    QCOMPARE(slider.upperBound(), 100);
    QCOMPARE(slider.size(), QSize(200, 10));
    slider.setCPIType(1, 20, 190, 10);
    QCOMPARE(slider.minimum(), 1);
    QCOMPARE(slider.maximum(), 20);
    QCOMPARE(slider.width(), 190);

    QSignalSpy changes(&slider, &MoveSlider::sig_ValueChange);
    QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(95, 5));
    QCOMPARE(slider.value(), 10); // 1 + 95 / 190 * 19 = 10.5
    QCOMPARE(changes.size(), 0);
    QMouseEvent move(QEvent::MouseMove, QPointF(500, 5), slider.mapToGlobal(QPoint(500, 5)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&slider, &move);
    QCOMPARE(slider.value(), 20);
    QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(500, 5));
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.at(0).at(0).toInt(), 20);
}

void TestCpiWidgets::moveSliderIgnoresWheelAndRightButton()
{
    MoveSlider slider;
    slider.setCPIType(1, 20, 200, 10);
    slider.setValue(7);
    QSignalSpy changes(&slider, &MoveSlider::sig_ValueChange);
    QWheelEvent wheel(QPointF(50, 5), QPointF(50, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&slider, &wheel);
    QTest::mouseClick(&slider, Qt::RightButton, Qt::NoModifier, QPoint(180, 5));
    QCOMPARE(slider.value(), 7);
    QCOMPARE(changes.size(), 0);

    slider.setEnabled(false);
    QTest::mouseClick(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(180, 5));
    QCOMPARE(slider.value(), 7);
    QCOMPARE(changes.size(), 0);
}

QTEST_MAIN(TestCpiWidgets)
#include "tst_cpiwidgets.moc"
