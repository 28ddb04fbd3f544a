#include "platform/programlauncher.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TstProgramLauncher : public QObject
{
    Q_OBJECT

private slots:
    void startsOnlyWhatCanRun_data();
    void startsOnlyWhatCanRun();
};

void TstProgramLauncher::startsOnlyWhatCanRun_data()
{
    QTest::addColumn<QString>("program"); // below a temporary folder unless absolute
    QTest::addColumn<bool>("started");

    QTest::newRow("a missing program is not started") << "Relaunch3.exe" << false;
    QTest::newRow("a plain file is no program") << "notes.txt" << false;
    QTest::newRow("a folder is no program") << "folder" << false;
    const QString trueProgram = QStandardPaths::findExecutable(QStringLiteral("true"));
    if (!trueProgram.isEmpty())
        QTest::newRow("an installed program starts") << trueProgram << true;
}

void TstProgramLauncher::startsOnlyWhatCanRun()
{
    QFETCH(QString, program);
    QFETCH(bool, started);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    {
        QFile notes(dir.filePath(QStringLiteral("notes.txt")));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("not a program\n");
    }
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const QString path = QDir::isAbsolutePath(program) ? program : dir.filePath(program);

    QCOMPARE(programLauncher().startDetached(path, {}), started);
}

QTEST_GUILESS_MAIN(TstProgramLauncher)
#include "tst_programlauncher.moc"
