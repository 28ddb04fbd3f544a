// The OLED picture files: what is refused before decoding, what is read,
// and the 64 x 48 BMP the editor writes.
#include "device/oledpicturefile.h"

#include "config/atomicfile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray le16(quint16 v)
{
    return QByteArray(1, char(v & 0xFF)) + QByteArray(1, char(v >> 8));
}

QByteArray le32(quint32 v)
{
    return le16(quint16(v & 0xFFFF)) + le16(quint16(v >> 16));
}

// A BMP with a 40-byte header; pixel bytes as given (zeros by default).
QByteArray bmp(qint32 width, qint32 height, quint16 bits, quint32 compression, int pixelBytes, quint32 headerSize = 40)
{
    QByteArray header = le32(headerSize) + le32(quint32(width)) + le32(quint32(height)) + le16(1) + le16(bits)
                        + le32(compression) + le32(0) + le32(2835) + le32(2835) + le32(0) + le32(0);
    header += QByteArray(int(headerSize) - header.size(), '\0');
    const quint32 offset = 14 + headerSize + (bits <= 8 ? (4u << bits) : 0);
    QByteArray file = "BM" + le32(offset + quint32(pixelBytes)) + le32(0) + le32(offset) + header;
    file += QByteArray(int(offset) - file.size(), '\0');
    file += QByteArray(pixelBytes, '\0');
    return file;
}

QByteArray coreBmp(quint16 width, quint16 height)
{
    const quint32 offset = 14 + 12;
    const int pixels = ((width * 24 + 31) / 32) * 4 * height;
    return "BM" + le32(offset + quint32(pixels)) + le32(0) + le32(offset) + le32(12) + le16(width) + le16(height)
           + le16(1) + le16(24) + QByteArray(pixels, '\0');
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestOledPictureFile : public QObject
{
    Q_OBJECT

private slots:
    void headerCheck_data();
    void headerCheck();
    void readRefusesWhatIsNotAPlainBmp_data();
    void readRefusesWhatIsNotAPlainBmp();
    void readDecodesWhatPassed();
    void writesA64By48BmpAtomically();
};

void TestOledPictureFile::headerCheck_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("problem"); // empty: accepted; otherwise a word of the reason

    QTest::newRow("24-bit 64 x 48") << bmp(64, 48, 24, 0, 192 * 48) << "";
    QTest::newRow("top-down rows (negative height)") << bmp(64, -48, 24, 0, 192 * 48) << "";
    QTest::newRow("1 bit per pixel, rows padded to 4 bytes") << bmp(64, 48, 1, 0, 8 * 48) << "";
    QTest::newRow("core header") << coreBmp(10, 10) << "";
    QTest::newRow("version 5 header") << bmp(8, 8, 32, 3, 32 * 8, 124) << "";
    QTest::newRow("RLE8 is left to the decoder") << bmp(4000, 3000, 8, 1, 16) << "";
    QTest::newRow("empty") << QByteArray() << "not a BMP";
    QTest::newRow("PNG") << encoded(QImage(4, 4, QImage::Format_RGB32), "PNG") << "not a BMP";
    QTest::newRow("only the file header") << QByteArray("BM") + QByteArray(16, '\0') << "header size";
    QTest::newRow("unknown header size") << bmp(8, 8, 24, 0, 24 * 8, 44) << "header size";
    QTest::newRow("header cut short") << bmp(8, 8, 24, 0, 24 * 8).left(30) << "truncated";
    QTest::newRow("zero width") << bmp(0, 48, 24, 0, 0) << "without pixels";
    QTest::newRow("negative width") << bmp(-64, 48, 24, 0, 192 * 48) << "without pixels";
    QTest::newRow("side above the limit") << bmp(20000, 1, 24, 0, 16) << "too large";
    QTest::newRow("pixel count above the limit") << bmp(5000, 5000, 24, 1, 16) << "too large";
    QTest::newRow("most negative height") << bmp(64, qint32(0x80000000), 24, 0, 16) << "too large";
    QTest::newRow("odd bits per pixel") << bmp(8, 8, 7, 0, 64) << "bits per pixel";
    QTest::newRow("JPEG inside") << bmp(8, 8, 24, 4, 64) << "compression";
    QTest::newRow("pixel data cut short") << bmp(64, 48, 24, 0, 192 * 47) << "truncated";
    QTest::newRow("no pixel data at all") << bmp(64, 48, 24, 0, 0) << "truncated";
}

void TestOledPictureFile::headerCheck()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);
    const QString found = bmpProblem(bytes);
    if (problem.isEmpty())
        QVERIFY2(found.isEmpty(), qPrintable(found));
    else
        QVERIFY2(found.contains(problem), qPrintable(found));
}

void TestOledPictureFile::readRefusesWhatIsNotAPlainBmp_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("symbolic link to a good BMP") << "symlink";
    QTest::newRow("a folder") << "folder";
    QTest::newRow("larger than the file limit") << "large";
    QTest::newRow("truncated") << "truncated";
    QTest::newRow("not a BMP") << "png";
}

void TestOledPictureFile::readRefusesWhatIsNotAPlainBmp()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.bmp"));
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::black);
    QVERIFY(image.save(good, "BMP"));
    const QString path = dir.filePath(QStringLiteral("bad.bmp"));
    PictureFileLimits limits;
    if (kind == QLatin1String("symlink"))
        QVERIFY(QFile::link(good, path));
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(path));
    else if (kind == QLatin1String("large")) {
        QVERIFY(QFile::copy(good, path));
        limits.maxFileBytes = QFileInfo(good).size() - 1;
    } else if (kind == QLatin1String("truncated"))
        QVERIFY(writeBytes(path, encoded(image, "BMP").left(4000)));
    else if (kind == QLatin1String("png"))
        QVERIFY(writeBytes(path, encoded(image, "PNG")));

    QString error;
    QVERIFY(readPictureFile(path, &error, limits).isNull());
    QVERIFY(!error.isEmpty());
    QVERIFY(!readPictureFile(good).isNull());
}

void TestOledPictureFile::readDecodesWhatPassed()
{
    QTemporaryDir dir;
    QImage image(300, 7, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(299, 6, qRgb(0, 0, 0));
    const QString path = dir.filePath(QStringLiteral("wide.bmp"));
    QVERIFY(image.save(path, "BMP"));
    QString error;
    const QImage read = readPictureFile(path, &error);
    QVERIFY2(!read.isNull(), qPrintable(error));
    QCOMPARE(read.size(), QSize(300, 7));
    QCOMPARE(read.pixel(299, 6), qRgb(0, 0, 0));
    QCOMPARE(toOledPictureSize(read).size(), QSize(64, 48));
    QVERIFY(toOledPictureSize(QImage()).isNull());
}

void TestOledPictureFile::writesA64By48BmpAtomically()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("drawImage.BMP"));
    QImage picture(128, 96, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int x = 0; x < 128; ++x)
        picture.setPixel(x, 0, qRgb(0, 0, 0));
    QVERIFY(writeOledPictureFile(path, picture));
    QByteArray bytes;
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        bytes = f.readAll();
    }
    QVERIFY(bytes.startsWith("BM"));
    QVERIFY(bmpProblem(bytes).isEmpty());
    const QImage read = readPictureFile(path);
    QCOMPARE(read.size(), QSize(64, 48));
    QVERIFY(qGray(read.pixel(10, 0)) < 128);
    QVERIFY(qGray(read.pixel(10, 40)) >= 128);

    // A write that cannot finish leaves the old picture.
    setAtomicWriteAbortBeforeCommit(true);
    QImage black(64, 48, QImage::Format_RGB32);
    black.fill(Qt::black);
    QString error;
    QVERIFY(!writeOledPictureFile(path, black, &error));
    setAtomicWriteAbortBeforeCommit(false);
    QVERIFY(!error.isEmpty());
    QVERIFY(qGray(readPictureFile(path).pixel(10, 40)) >= 128);

    QVERIFY(!writeOledPictureFile(dir.filePath(QStringLiteral("no/such/folder/x.BMP")), black));
    QVERIFY(!writeOledPictureFile(path, QImage()));
}

QTEST_GUILESS_MAIN(TestOledPictureFile)
#include "tst_oledpicturefile.moc"
