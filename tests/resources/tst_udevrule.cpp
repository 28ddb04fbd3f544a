#include "discovery/models.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

// udev compares sysfs text: ids are four lower-case hex digits.
const QRegularExpression VendorMatch(QStringLiteral("ATTRS\\{idVendor\\}==\"([0-9a-f]{4})\""));
const QRegularExpression ProductMatch(QStringLiteral("ATTRS\\{idProduct\\}==\"([0-9a-f]{4})\""));

const char *const RulePath = OX8_SOURCE_DIR "/resources/udev/70-ox8driver.rules";

QString idKey(quint16 vendor, quint16 product)
{
    return QStringLiteral("%1:%2")
        .arg(vendor, 4, 16, QLatin1Char('0'))
        .arg(product, 4, 16, QLatin1Char('0'));
}

} // namespace

// Every USB id the program knows must have a rule, or a new model would be
// found by nobody but root.
class TestUdevRule : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyLineIsAWellFormedRule();
    void coversId_data();
    void coversId();

private:
    QStringList m_rules;
    QSet<QString> m_covered;
};

void TestUdevRule::initTestCase()
{
    QFile f(QString::fromUtf8(RulePath));
    QVERIFY2(f.open(QIODevice::ReadOnly | QIODevice::Text), RulePath);
    const QString text = QString::fromUtf8(f.readAll());
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        m_rules << line;
        const QRegularExpressionMatch v = VendorMatch.match(line);
        const QRegularExpressionMatch p = ProductMatch.match(line);
        if (v.hasMatch() && p.hasMatch())
            m_covered.insert(v.captured(1) + QLatin1Char(':') + p.captured(1));
    }
    QVERIFY(!m_rules.isEmpty());
}

void TestUdevRule::everyLineIsAWellFormedRule()
{
    QSet<QString> seen;
    for (const QString &rule : qAsConst(m_rules)) {
        QVERIFY2(rule.contains(QLatin1String("SUBSYSTEM==\"hidraw\"")), qPrintable(rule));
        QVERIFY2(rule.contains(QLatin1String("TAG+=\"uaccess\"")), qPrintable(rule));
        QVERIFY2(rule.contains(QLatin1String("MODE=\"0660\"")), qPrintable(rule));
        const QRegularExpressionMatch v = VendorMatch.match(rule);
        const QRegularExpressionMatch p = ProductMatch.match(rule);
        QVERIFY2(v.hasMatch() && p.hasMatch(), qPrintable(rule));
        const QString key = v.captured(1) + QLatin1Char(':') + p.captured(1);
        QVERIFY2(!seen.contains(key), qPrintable(QStringLiteral("two rules for ") + key));
        seen.insert(key);
    }
}

void TestUdevRule::coversId_data()
{
    QTest::addColumn<uint>("vendor");
    QTest::addColumn<uint>("product");

    for (const ModelIdentity &m : modelTable()) {
        if (m.wirelessPid)
            QTest::addRow("%s wireless", m.name) << uint(VID_KORVAN) << uint(m.wirelessPid);
        QTest::addRow("%s wired", m.name) << uint(VID_KORVAN) << uint(m.wiredPid);
    }
    QTest::newRow("family A boot loader") << uint(VID_KORVAN) << uint(PID_BOOTLOADER);
    QTest::newRow("chip boot loader") << uint(VID_CHIP_BOOTLOADER) << uint(PID_CHIP_BOOTLOADER);
}

void TestUdevRule::coversId()
{
    QFETCH(uint, vendor);
    QFETCH(uint, product);
    const QString key = idKey(quint16(vendor), quint16(product));
    QVERIFY2(m_covered.contains(key), qPrintable(QStringLiteral("no rule for ") + key));
}

QTEST_APPLESS_MAIN(TestUdevRule)
#include "tst_udevrule.moc"
