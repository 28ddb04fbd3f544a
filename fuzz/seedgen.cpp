// Writes the seed corpora of the harnesses: conversations with the
// emulators recorded on the bus, and the files our own code writes while it
// holds them (profiles, CPI tables, state files, INI stores, pictures).
//
//   ox8_fuzzseeds OUTDIR     (OUTDIR/<harness>/<name>, fuzz/corpus in the tree)

#include "fuzz/common/deviceflows.h"
#include "fuzz/common/fuzzbus.h"
#include "fuzz/common/fuzzsupport.h"

#include "config/gearhandle.h"
#include "config/inistores.h"
#include "config/jsonfile.h"
#include "config/jsonhandle.h"
#include "config/jsonkeys.h"
#include "config/loadedprofile.h"
#include "config/macronode.h"
#include "config/oldtxtprofile.h"
#include "config/paths.h"
#include "config/profileexport.h"
#include "config/servicesettings.h"
#include "device/familya/fwupdate.h"
#include "device/oledpicturefile.h"
#include "discovery/models.h"
#include "platform/pointersettings.h"
#include "sim/emulatedhidbus.h"
#include "sim/familya/familyamouse.h"
#include "sim/familya/familyascene.h"
#include "sim/familyb/familybmouse.h"
#include "sim/simulation.h"
#include "tests/platform/hid/descriptors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPainter>
#include <QSettings>

#include <cstdio>

namespace {
QString g_out;
int g_written = 0;

void seed(const QString &harness, const QString &name, const QByteArray &bytes)
{
    const QString dir = g_out + QLatin1Char('/') + harness;
    QDir().mkpath(dir);
    if (!putFuzzFile(dir + QLatin1Char('/') + name, bytes)) {
        std::fprintf(stderr, "cannot write %s/%s\n", qPrintable(dir), qPrintable(name));
        std::exit(1);
    }
    ++g_written;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray prefixed(int first, const QByteArray &rest)
{
    return QByteArray(1, char(first)) + rest;
}

QString safeName(QString model)
{
    return model.replace(QLatin1Char(':'), QLatin1Char('-'));
}

// A recorded coordinator session with the emulated model, and the files and
// memory it leaves behind.
void deviceSeeds(const QString &harness, const QStringList &models)
{
    for (int i = 0; i < models.size(); ++i) {
        const QString model = models.at(i);
        Simulation simulation;
        if (!simulation.setUp(model)) {
            std::fprintf(stderr, "no emulator for %s\n", qPrintable(model));
            std::exit(1);
        }
        RecordingHidBus recorder(simulation.bus());
        setHidBus(&recorder);
        runCoordinatorSession(fuzzProductId(model));
        setHidBus(nullptr);
        seed(harness, safeName(model), prefixed(i, encodeFuzzAnswers(recorder.answers())));

        if (simulation.familyAMouse())
            seed(QStringLiteral("sim_state"), safeName(model), prefixed(1, simulation.familyAMouse()->saveState()));
        if (simulation.familyBMouse())
            seed(QStringLiteral("sim_state"), safeName(model), prefixed(0, simulation.familyBMouse()->saveState()));

        // The profile and CPI table files the session wrote.
        const int type = simulation.mouseType();
        const int typeIndex = int(fuzzModelTypes().indexOf(type));
        const QString name = getModelFolderName(type);
        const QByteArray config = fileBytes(getConfigJsonFilePath(type, 2));
        const QByteArray cpi = fileBytes(getCpiSettingFilePath(type, 2));
        if (typeIndex >= 0 && !simulation.throughReceiver()) {
            seed(QStringLiteral("profile_json"), name, prefixed(typeIndex, config));
            seed(QStringLiteral("gear_table"), name, prefixed(typeIndex, QByteArray(1, 2) + cpi));
        }
        if (!simulation.throughReceiver()) {
            ProfileExport exported;
            exported.model = name;
            exported.typeCode = type;
            exported.profile = 2;
            exported.config = QJsonDocument::fromJson(config).object();
            exported.cpiSetting = QJsonDocument::fromJson(cpi).object();
            seed(QStringLiteral("profile_import"), name, writeProfileExport(exported));
        }
        if (i == 0)
            seed(QStringLiteral("profile_json"), QStringLiteral("loadedprofiles"),
                 prefixed(0x80, fileBytes(loadedProfilesPath())));
    }
}

void ispSeeds()
{
    for (int size : {100, 300}) {
        EmulatedHidBus bus;
        plugNucIspBootloader(bus, Ox7);
        RecordingHidBus recorder(bus);
        setHidBus(&recorder);
        QByteArray image(size, 0);
        for (int i = 0; i < size; ++i)
            image[i] = char((i * 7 + 3) & 0xFF);
        const QString path = fuzzScratchPath(QStringLiteral("Nuc123.bin"));
        putFuzzFile(path, image);
        FwUpdate flasher;
        flasher.SetDevicePaths(wiredPathFragment(Ox7), hidPathFragment(VID_KORVAN, PID_BOOTLOADER));
        flasher.SetProgramMemorySize(0x10000);
        flasher.slotUpdate(path);
        setHidBus(nullptr);
        QByteArray bytes;
        bytes.append(char(size & 0xFF));
        bytes.append(char(size >> 8));
        bytes.append(image);
        bytes.append(encodeFuzzAnswers(recorder.answers()));
        seed(QStringLiteral("nuc123_isp"), QStringLiteral("image%1").arg(size), bytes);
    }
}

void descriptorSeeds()
{
    const QString h = QStringLiteral("hid_descriptor");
    seed(h, QStringLiteral("bootmouse"), prefixed(0, descriptors::bootMouse()));
    seed(h, QStringLiteral("familya"), prefixed(0, descriptors::familyA()));
    seed(h, QStringLiteral("familyb"), prefixed(0, descriptors::familyB()));
    seed(h, QStringLiteral("nuc123"), prefixed(0, descriptors::nuc123Isp()));
    seed(h, QStringLiteral("keyboard"), prefixed(0, descriptors::keyboard()));
    seed(h, QStringLiteral("uevent"),
         prefixed(2, "DRIVER=hid-generic\nHID_ID=0003:000033F9:00000102\nHID_NAME=Korvan OX7\n"
                     "HID_PHYS=usb-0000:00:14.0-1/input1\nMODALIAS=hid:b0003g0001v000033F9p00000102\n"));
    seed(h, QStringLiteral("bcddevice"), prefixed(3, "0102\n"));
    seed(h, QStringLiteral("hidrawpath"), prefixed(3, "/dev/hidraw3#2"));
}

void oldTxtSeeds()
{
    JsonHandle json;
    OldTxtProfile korvan;
    korvan.dialect = QString(dialects::kKorvan);
    json.createAOriginalMouseDataFile_Korvan(korvan.block, Ox7);
    QByteArray page(4096, 0);
    const QByteArray head = QByteArray::fromHex("0a00010004004100000041");
    page.replace(0, head.size(), head);
    korvan.macros.insert(3, page);
    seed(QStringLiteral("oldtxt_profile"), QStringLiteral("korvan"), prefixed(1, writeOldTxtProfile(korvan)));

    OldTxtProfile halden;
    halden.dialect = QString(dialects::kHalden);
    json.createAOriginalMouseDataFile_Halden(halden.block, Ox6);
    halden.macros.insert(0, QByteArray::fromHex("0001" "0441" "8441"));
    seed(QStringLiteral("oldtxt_profile"), QStringLiteral("halden"), prefixed(0, writeOldTxtProfile(halden)));
}

void macroSeeds()
{
    JsonHandle json;
    const QString path = fuzzScratchPath(QStringLiteral("seedmacro.json"));
    QFile::remove(path);
    QList<MacroNode> nodes;
    MacroNode press;
    press.ValueType = 3;
    press.KeyValue = 0x41;
    press.State = 0;
    press.TimeLapse = 50;
    MacroNode release = press;
    release.State = 1;
    MacroNode move;
    move.ValueType = 6;
    move.CoordinateX = 10;
    move.CoordinateY = -4;
    move.TimeLapse = 8;
    nodes << press << move << release;
    json.setMacroName(path, QStringLiteral("Seed"));
    json.writeMacroNodeList(path, nodes);
    json.setMacroType(path, 1);
    json.setRepeatTimes(path, 3);
    json.setIgnoreDelayTime(path, 0);
    seed(QStringLiteral("macro_file"), QStringLiteral("keys-and-move"), fileBytes(path));
}

void languageSeeds()
{
    // The shipped table, cut to its first rows so that one input stays small.
    const QJsonArray full =
        QJsonDocument::fromJson(fileBytes(QStringLiteral(OX8_SOURCE_DIR "/resources/language/translate.json"))).array();
    QJsonArray cut;
    for (const QJsonValue &column : full) {
        QJsonArray texts;
        const QJsonArray all = column.toArray();
        for (int i = 0; i < all.size() && i < 24; ++i)
            texts.append(all.at(i));
        cut.append(texts);
    }
    if (cut.isEmpty()) {
        std::fprintf(stderr, "no language table in the source tree\n");
        std::exit(1);
    }
    const QByteArray bytes = QJsonDocument(cut).toJson(QJsonDocument::Compact);
    seed(QStringLiteral("language_file"), QStringLiteral("english"), prefixed(2, bytes));
    seed(QStringLiteral("language_file"), QStringLiteral("chinese"), prefixed(1, bytes));
}

void iniSeeds()
{
    clearFuzzAppDirectory();
    const QString h = QStringLiteral("ini_stores");
    OperateToken token;
    token.SetToken(QStringLiteral("tok-3f9a"));
    token.SetEmail(QStringLiteral("player@example.org"));
    token.SetNickName(QStringLiteral("Spieler Ω"));
    OpFunConfFile functions;
    functions.SetDefault();
    OpConfPath paths;
    paths.SetMidWebUrl(QStringLiteral("https://example.org/"));
    paths.SetSliderUpAppPath(QStringLiteral("/usr/bin/gimp"));
    seed(h, QStringLiteral("system"), prefixed(0, fileBytes(systemIniPath())));

    PointerSettings pointer(pointerSettingsIniPath());
    pointer.setMouseSpeed(14);
    pointer.setWheelScrollLines(-1);
    seed(h, QStringLiteral("pointer"), prefixed(1, fileBytes(pointerSettingsIniPath())));

    writeNotRemind(1);
    seed(h, QStringLiteral("noremind"), prefixed(2, fileBytes(noLongerRemindIniPath())));

    {
        QDir().mkpath(QFileInfo(highestFunctionIniPath()).absolutePath());
        QSettings s(highestFunctionIniPath(), QSettings::IniFormat);
        s.setValue(QStringLiteral("MidKey/state"), 1);
        s.setValue(QStringLiteral("MidKey/function"), 3);
        s.setValue(QStringLiteral("MidKey/path"), QStringLiteral("/home/player/notes.txt"));
        s.setValue(QStringLiteral("DPIAdd/state"), 0);
    }
    seed(h, QStringLiteral("highestfunction"), prefixed(3, fileBytes(highestFunctionIniPath())));

    setConfiguredServiceUrl(QStringLiteral("https://cloud.example.org/api"));
    seed(h, QStringLiteral("service"), prefixed(4, fileBytes(serviceIniPath())));
}

void pictureSeeds()
{
    QImage picture(kOledPictureWidth, kOledPictureHeight, QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter p(&picture);
    p.setPen(Qt::white);
    p.drawEllipse(8, 6, 30, 30);
    p.drawLine(0, 47, 63, 0);
    p.end();
    const QString path = fuzzScratchPath(QStringLiteral("seed.bmp"));
    writeOledPictureFile(path, picture);
    seed(QStringLiteral("bmp_picture"), QStringLiteral("oled-24bit"), fileBytes(path));
    // Pictures users add come in other depths too.
    for (QImage::Format format : {QImage::Format_Mono, QImage::Format_Indexed8, QImage::Format_ARGB32}) {
        QFile::remove(path);
        picture.convertToFormat(format).scaled(20, 15).save(path, "BMP");
        seed(QStringLiteral("bmp_picture"), QStringLiteral("user-format%1").arg(int(format)), fileBytes(path));
    }
}

void envelopeSeeds()
{
    const QString h = QStringLiteral("rest_envelope");
    seed(h, QStringLiteral("login"),
         prefixed(2, R"({"code":0,"msg":"ok","data":{"token":"tok-3f9a","email":"player@example.org","nickName":"P"}})"));
    seed(h, QStringLiteral("refused"), prefixed(0, R"({"code":10003,"msg":"wrong password","data":{}})"));
    seed(h, QStringLiteral("config-list"),
         prefixed(0, R"({"code":0,"msg":"","data":{"list":[{"id":7,"name":"LocalFile.zip","url":"https://example.org/f/7"}]}})"));
    seed(h, QStringLiteral("transport"), prefixed(1, QByteArray()));
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: ox8_fuzzseeds OUTDIR\n");
        return 2;
    }
    initFuzzProcess(&argc, &argv);
    g_out = QFile::decodeName(argv[1]);
    deviceSeeds(QStringLiteral("familya_answers"), familyAFuzzModels());
    deviceSeeds(QStringLiteral("familyb_answers"), familyBFuzzModels());
    ispSeeds();
    descriptorSeeds();
    oldTxtSeeds();
    macroSeeds();
    languageSeeds();
    iniSeeds();
    pictureSeeds();
    envelopeSeeds();
    std::printf("%d seeds written below %s\n", g_written, qPrintable(g_out));
    return 0;
}
