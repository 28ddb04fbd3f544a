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
#include "analytics/identitystore.h"
#include "cloud/archive.h"
#include "config/servicesettings.h"
#include "device/familya/fwupdate.h"
#include "device/oledpicturefile.h"
#include "update/firmwarepackage.h"
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
// Answers of the version service as ours gives them, and packages.
void versionSeeds()
{
    const QString h = QStringLiteral("version_reply");
    const QVector<ModelIdentity> &models = modelTable();
    int ox7 = 0;
    while (ox7 < models.size() && models.at(ox7).mouseType != Ox7)
        ++ox7;
    const auto reply = [&](int flags, int mouseVersion, const QByteArray &body) {
        QByteArray bytes;
        bytes.append(char(flags));
        bytes.append(char(ox7));
        bytes.append(char(mouseVersion));
        return bytes + body;
    };
    seed(h, QStringLiteral("newer"),
         reply(0, 30, R"({"code":0,"msg":"","data":{"version":"0032","downloadUrl":"https://example.org/fw/OX7/Nuc123.bin","versionDate":"2026-11-02"}})"));
    seed(h, QStringLiteral("same"), reply(0, 32, R"({"code":0,"msg":"","data":{"version":"32","downloadUrl":"","versionDate":"2026-11-02"}})"));
    seed(h, QStringLiteral("plain-http"),
         reply(0, 30, R"({"code":0,"msg":"","data":{"version":"33","downloadUrl":"http://example.org/fw.bin"}})"));
    seed(h, QStringLiteral("unknown-model"), reply(0, 1, R"({"code":10021,"msg":"no such product","data":{}})"));
    seed(h, QStringLiteral("transport"), reply(1, 0, QByteArray()));

    // A downloaded package: content type, version date, body.
    const auto package = [&](const QByteArray &contentType, const QByteArray &date, const QByteArray &body) {
        QByteArray bytes;
        bytes.append(char(0x80));
        bytes.append(char(ox7));
        bytes.append(char(contentType.size()));
        bytes.append(contentType);
        bytes.append(char(date.size()));
        bytes.append(date);
        return bytes + body;
    };
    QByteArray image(1024, 0);
    for (int i = 0; i < image.size(); ++i)
        image[i] = char((i * 13 + 5) & 0xFF);
    seed(h, QStringLiteral("package"), package("application/octet-stream", "2026-11-02", image));
    seed(h, QStringLiteral("error-page"),
         package("text/html; charset=utf-8", "", "<!DOCTYPE html><html><body>" + QByteArray(200, 'x') + "</body></html>"));
}

// Archives as our upload packs them: a model's profile folder and the macro
// library. The first byte 0 hands them over as they are, 2 with small limits.
void archiveSeeds()
{
    const QString h = QStringLiteral("cloud_archive");
    clearFuzzAppDirectory();
    JsonHandle json;
    (void)json.getMouseData_Korvan(Ox7, 1); // writes the factory profile
    (void)json.getMouseData_Korvan(Ox7, 2);
    QByteArray zip;
    if (compressFolder(getConfigMouseLocalDir(Ox7), zip).ok()) {
        seed(h, QStringLiteral("profiles"), prefixed(0, zip));
        seed(h, QStringLiteral("profiles-small-limits"), prefixed(2, zip));
    }
    const QString macros = getMacroFilesDir();
    QDir().mkpath(macros + QStringLiteral("/User"));
    json.setMacroName(macros + QStringLiteral("/User/Seed.json"), QStringLiteral("Seed"));
    json.setRepeatTimes(macros + QStringLiteral("/User/Seed.json"), 2);
    if (compressFolder(macros, zip).ok())
        seed(h, QStringLiteral("macros"), prefixed(0, zip));

    // Entry lists the harness writes into an archive itself: a name, the Unix
    // type and mode, the method and the data of each.
    struct EntrySeed
    {
        QByteArray name;
        quint16 mode;
        QByteArray data;
    };
    const auto entries = [](const QVector<EntrySeed> &list) {
        QByteArray bytes;
        bytes.append(char(1)); // UTF-8 names
        bytes.append(char(list.size()));
        for (const EntrySeed &e : list) {
            bytes.append(char(e.name.size()));
            bytes.append(e.name);
            bytes.append(char(e.mode & 0xFF));
            bytes.append(char(e.mode >> 8));
            bytes.append(char(1)); // deflated
            bytes.append(char(e.data.size()));
            bytes.append(e.data);
        }
        return prefixed(1, bytes);
    };
    const QByteArray profile = R"({"MouseData":[1,2,3]})";
    seed(h, QStringLiteral("entries-folder-and-file"),
         entries({{"OX7/", 040755, {}}, {"OX7/Config1.json", 0100644, profile}}));
    seed(h, QStringLiteral("entries-link"), entries({{"Config1.json", 0120777, "/etc/passwd"}}));
    seed(h, QStringLiteral("entries-dotdot"), entries({{"../Config1.json", 0100644, profile}}));
    seed(h, QStringLiteral("entries-duplicate"),
         entries({{"Config1.json", 0100644, profile}, {"Config1.json", 0100644, "{}"}}));
    seed(h, QStringLiteral("entries-fifo"), entries({{"pipe", 010644, {}}}));
    seed(h, QStringLiteral("entries-file-as-folder"),
         entries({{"a", 0100644, "x"}, {"a/b", 0100644, "y"}}));
}

// The identifiers file as we write it, then steps: an event, a tick, an
// answer 200, a tick, a page view, a tick, an answer 500, time, a tick.
void analyticsSeeds()
{
    const QString h = QStringLiteral("analytics_reply");
    const QString path = fuzzScratchPath(QStringLiteral("mouse.ini"));
    QFile::remove(path);
    writeAnalyticsIdentity(path, QStringLiteral("{6f1c2a4e-8d3b-4c55-9e1f-2b7a90c3d411}"), QString());
    const QByteArray identity = fileBytes(path);
    QByteArray bytes;
    bytes.append(char(identity.size() & 0xFF));
    bytes.append(char(identity.size() >> 8));
    bytes.append(identity);
    const auto textOf = [](const QByteArray &t) { return QByteArray(1, char(t.size())) + t; };
    bytes.append(char(0)); // event
    bytes.append(textOf("Mouse") + textOf("Open") + textOf("OX7"));
    bytes.append(char(0)); // no value
    bytes.append(char(3)); // tick
    bytes.append(char(4)); // answer: status 200 - 100 = 100, no error, empty body
    bytes.append(char(100));
    bytes.append(char(0));
    bytes.append(char(0));
    bytes.append(char(0));
    bytes.append(char(1)); // page view
    bytes.append(textOf("LightingPage"));
    bytes.append(char(3));
    bytes.append(char(4)); // answer 500: the hit stays
    bytes.append(char(144));
    bytes.append(char(1));
    bytes.append(char(0));
    bytes.append(char(2));
    bytes.append("ok");
    bytes.append(char(5)); // 30 s pass
    bytes.append(char(3));
    bytes.append(char(3));
    seed(h, QStringLiteral("event-pageview"), bytes);

    QByteArray refused = bytes.left(2 + identity.size());
    refused.append(char(7)); // session start
    refused.append(char(1));
    refused.append(char(3));
    refused.append(char(4)); // no status at all: a transport error drops the hit
    refused.append(char(0));
    refused.append(char(0));
    refused.append(char(2));
    refused.append(char(0));
    refused.append(char(6)); // consent withdrawn
    refused.append(char(0));
    refused.append(textOf("Ignored") + textOf("x") + textOf(""));
    refused.append(char(0));
    seed(h, QStringLiteral("transport-and-consent"), refused);
}
// Requests as our client sends them to the service. Layout: endpoint, flags
// (1 POST, 4 the valid token as a header, 8 a multipart body, 16 the usual
// Host, 32 "@TOKEN@" in the body replaced by the token), then path tail,
// query, content type and authorization, each with its length, then the body.
void serverSeeds()
{
    const QString h = QStringLiteral("server_request");
    const auto request = [](int endpoint, int flags, const QByteArray &tail, const QByteArray &query,
                            const QByteArray &contentType, const QByteArray &body) {
        QByteArray bytes;
        bytes.append(char(endpoint));
        bytes.append(char(flags));
        for (const QByteArray &field : {tail, query, contentType, QByteArray()}) {
            bytes.append(char(field.size()));
            bytes.append(field);
        }
        return bytes + body;
    };
    const QByteArray json = "application/json";
    seed(h, QStringLiteral("login"),
         request(0, 1 | 16, {}, {}, json, R"({"email":"player@example.org","password":"secret1"})"));
    seed(h, QStringLiteral("register"),
         request(1, 1 | 16, {}, {}, json,
                 R"({"nickname":"Spieler","email":"new@example.org","password":"secret2","rePassword":"secret2"})"));
    seed(h, QStringLiteral("find-password"), request(3, 1 | 16, {}, {}, json, R"({"email":"player@example.org"})"));
    seed(h, QStringLiteral("config-get"),
         request(9, 1 | 4 | 16, {}, {}, json, R"({"configType":"OX7","kind":"config"})"));
    seed(h, QStringLiteral("config-save"),
         request(8, 1 | 4 | 16, {}, {}, json,
                 R"({"filePath":"http://127.0.0.1:8080/files/0123456789abcdef0123456789abcdef","configType":"OX7","configContent":""})"));
    seed(h, QStringLiteral("version"), request(11, 1 | 16, {}, {}, json, R"({"versionType":"ox7-firmware"})"));

    clearFuzzAppDirectory();
    JsonHandle json2;
    (void)json2.getMouseData_Korvan(Ox7, 1);
    QByteArray zip;
    compressFolder(getConfigMouseLocalDir(Ox7), zip);
    const QByteArray multipart = "--ox8fuzzboundary\r\n"
                                 "Content-Disposition: form-data; name=\"file\"; filename=\"LocalFile.zip\"\r\n"
                                 "Content-Type: application/zip\r\n"
                                 "Authorization: @TOKEN@\r\n\r\n"
                                 + zip + "\r\n--ox8fuzzboundary--\r\n";
    seed(h, QStringLiteral("upload"), request(6, 1 | 8 | 16 | 32, {}, {}, {}, multipart));
    seed(h, QStringLiteral("download-package"), request(13, 16, "ox7-firmware/32/package.bin", {}, {}, {}));
    seed(h, QStringLiteral("download-archive"), request(12, 4 | 16, "0123456789abcdef0123456789abcdef/LocalFile.zip", {}, {}, {}));
    seed(h, QStringLiteral("collect"),
         request(16, 1 | 16, {}, {}, "application/x-www-form-urlencoded",
                 "v=1&tid=UA-1807-1&cid=%7B6f1c2a4e%7D&t=event&ec=Mouse&ea=Open"));
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
    versionSeeds();
    archiveSeeds();
    analyticsSeeds();
    serverSeeds();
    std::printf("%d seeds written below %s\n", g_written, qPrintable(g_out));
    return 0;
}
