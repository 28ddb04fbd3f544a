#include "platform/hidbus_linux.h"

#include "platform/hiddescriptor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

// The hidraw bus. Enumeration reads sysfs only (no device is opened unless
// sysfs lacks a report descriptor); each top-level collection of a node is
// one HidDeviceInfo, named as described in hiddescriptor.h.

namespace {

// The request number carries the buffer length in _IOC_SIZEBITS bits; a
// longer buffer would spill into the direction bits and make another request.
constexpr int MaxIoctlLength = int(_IOC_SIZEMASK);

constexpr int MaxUeventBytes = 64 * 1024;
constexpr int MaxAttributeBytes = 4096;
// HidD_GetProductString's limit: 126 UTF-16 characters.
constexpr int MaxProductChars = 126;

// Reads at most maxBytes + 1 bytes of a regular file, so callers can tell
// an over-long file; empty when it is missing or not a regular file.
QByteArray readBounded(const QString &path, int maxBytes)
{
    const QFileInfo fi(path);
    if (!fi.isFile())
        return {};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    QByteArray data;
    while (data.size() <= maxBytes) {
        const QByteArray chunk = f.read(qint64(maxBytes) + 1 - data.size());
        if (chunk.isEmpty())
            break;
        data += chunk;
    }
    return data;
}

QString firstLine(const QByteArray &text, int maxChars)
{
    const int nl = text.indexOf('\n');
    return QString::fromUtf8(nl < 0 ? text : text.left(nl)).trimmed().left(maxChars);
}

// The node exists but this user may neither read nor write it.
bool isAccessDenied(const QString &nodePath)
{
    if (::access(QFile::encodeName(nodePath).constData(), R_OK | W_OK) == 0)
        return false;
    return errno == EACCES || errno == EPERM;
}

bool isCharDevice(int fd)
{
    struct stat st;
    return ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode);
}

// The report descriptor as the node itself reports it.
QByteArray descriptorFromFd(int fd)
{
    int size = 0;
    if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size <= 0 || size > HID_MAX_DESCRIPTOR_SIZE)
        return {};
    struct hidraw_report_descriptor rd;
    std::memset(&rd, 0, sizeof rd);
    rd.size = quint32(size);
    if (::ioctl(fd, HIDIOCGRDESC, &rd) < 0)
        return {};
    return QByteArray(reinterpret_cast<const char *>(rd.value), size);
}

class HidrawDevice final : public HidDevice
{
public:
    HidrawDevice(int fd, bool numberedInputReports)
        : m_fd(fd), m_numbered(numberedInputReports)
    {
    }
    ~HidrawDevice() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    // hidraw takes the id byte first, 0 for devices without ids, as we do.
    bool write(const QByteArray &report) override
    {
        if (report.isEmpty() || report.size() > HID_REPORT_MAX_BYTES + 1)
            return failWith(EINVAL);
        ssize_t n;
        do {
            n = ::write(m_fd, report.constData(), size_t(report.size()));
        } while (n < 0 && errno == EINTR);
        if (n < 0)
            return failWith(errno);
        if (n != report.size())
            return failWith(EIO);
        return true;
    }

    int read(QByteArray &report, int timeoutMs) override
    {
        report.clear();
        QDeadlineTimer deadline = timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever)
                                                : QDeadlineTimer(timeoutMs);
        struct pollfd p;
        for (;;) {
            p.fd = m_fd;
            p.events = POLLIN;
            p.revents = 0;
            const qint64 left = deadline.remainingTime();
            const int r = ::poll(&p, 1, left < 0 ? -1 : int(qMin<qint64>(left, INT_MAX)));
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0) {
                failWith(errno);
                return -1;
            }
            if (r == 0)
                return 0;
            break;
        }
        if (!(p.revents & POLLIN)) {
            // Hang-up or error without data: the device has gone.
            failWith(ENODEV);
            return -1;
        }
        // Without report ids hidraw delivers the bare data; put the 0 id
        // byte in front so that buffers always start with the id.
        const int offset = m_numbered ? 0 : 1;
        m_buffer.resize(HID_REPORT_MAX_BYTES + 1);
        ssize_t n;
        do {
            n = ::read(m_fd, m_buffer.data() + offset, size_t(m_buffer.size() - offset));
        } while (n < 0 && errno == EINTR);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return 0;
            failWith(errno);
            return -1;
        }
        if (n == 0) {
            failWith(ENODEV);
            return -1;
        }
        if (offset)
            m_buffer[0] = 0;
        report = m_buffer.left(int(n) + offset);
        return report.size();
    }

    bool getInputReport(QByteArray &report) override
    {
        return transfer(HIDIOCGINPUT(0), report, true);
    }
    bool setFeature(const QByteArray &report) override
    {
        QByteArray copy = report;
        return transfer(HIDIOCSFEATURE(0), copy, false);
    }
    bool getFeature(QByteArray &report) override
    {
        return transfer(HIDIOCGFEATURE(0), report, true);
    }

    int lastError() const override { return m_lastError; }

private:
    bool failWith(int error)
    {
        m_lastError = error;
        return false;
    }

    // One report through the control pipe; request carries length 0 and
    // gets the buffer's length here. For numbered and unnumbered devices
    // alike the answer keeps the id byte in front.
    bool transfer(unsigned long request, QByteArray &report, bool takeAnswer)
    {
        if (report.isEmpty() || report.size() > MaxIoctlLength)
            return failWith(EINVAL);
        const unsigned long sized = request | (unsigned long)(report.size()) << _IOC_SIZESHIFT;
        int r;
        do {
            r = ::ioctl(m_fd, sized, report.data());
        } while (r < 0 && errno == EINTR);
        if (r < 0)
            return failWith(errno);
        if (takeAnswer && r < report.size())
            report.resize(r);
        return true;
    }

    int m_fd;
    bool m_numbered;
    int m_lastError = 0;
    QByteArray m_buffer;
};

class HidrawBus final : public HidBus
{
public:
    HidrawBus(const QString &sysRoot, const QString &devRoot)
        : m_sysRoot(QDir::cleanPath(sysRoot)), m_devRoot(QDir::cleanPath(devRoot))
    {
    }

    QVector<HidDeviceInfo> enumerate() override
    {
        static const QRegularExpression nodeName(
            QRegularExpression::anchoredPattern(QStringLiteral("hidraw(0|[1-9][0-9]{0,5})")));
        QVector<int> nodes;
        const QDir classDir(classPath());
        const QStringList names =
            classDir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &name : names) {
            const QRegularExpressionMatch m = nodeName.match(name);
            if (m.hasMatch())
                nodes.append(m.captured(1).toInt());
        }
        std::sort(nodes.begin(), nodes.end());

        QVector<HidDeviceInfo> infos;
        for (const int node : qAsConst(nodes))
            infos += interfacesOf(node);
        return infos;
    }

    std::unique_ptr<HidDevice> open(const QString &path) override
    {
        int node = 0;
        int collection = 0;
        if (!splitHidrawPath(m_devRoot, path, node, collection)) {
            qDebug() << "hidraw: not a hidraw path" << path;
            return nullptr;
        }
        const QString nodePath = hidrawPath(m_devRoot, node, 0);
        const int fd = ::open(QFile::encodeName(nodePath).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            qDebug() << "hidraw: cannot open" << nodePath << std::strerror(errno);
            return nullptr;
        }
        if (!isCharDevice(fd)) {
            qDebug() << "hidraw: not a device node" << nodePath;
            ::close(fd);
            return nullptr;
        }
        QByteArray bytes = descriptorFromFd(fd);
        if (bytes.isEmpty())
            bytes = sysfsDescriptor(node);
        HidDescriptor descriptor;
        QString why;
        QStringList quirks;
        if (!parseHidReportDescriptor(bytes, descriptor, &why, &quirks) || bytes.isEmpty()) {
            qDebug() << "hidraw: unusable report descriptor on" << nodePath << why;
            ::close(fd);
            return nullptr;
        }
        // Said when a device is opened; the scan every second stays quiet.
        for (const QString &quirk : qAsConst(quirks))
            qWarning().noquote() << "hidraw: report descriptor of" << nodePath << quirk;
        if (collection >= descriptor.collections.size()) {
            qDebug() << "hidraw: no such collection" << path;
            ::close(fd);
            return nullptr;
        }
        return createHidrawDevice(fd, descriptor.hasReportIds(HidReportType::Input));
    }

private:
    QString classPath() const { return m_sysRoot + QStringLiteral("/class/hidraw"); }
    QString nodeEntry(int node) const
    {
        return classPath() + QStringLiteral("/hidraw") + QString::number(node);
    }

    // The HID device's sysfs folder, symlinks resolved; empty when absent.
    QString hidDeviceDir(int node) const
    {
        return QFileInfo(nodeEntry(node) + QStringLiteral("/device")).canonicalFilePath();
    }

    QByteArray sysfsDescriptor(int node) const
    {
        const QString dir = hidDeviceDir(node);
        if (dir.isEmpty())
            return {};
        return readBounded(dir + QStringLiteral("/report_descriptor"), HID_DESCRIPTOR_MAX_BYTES);
    }

    // Only when sysfs has no descriptor: ask the node.
    QByteArray nodeDescriptor(int node) const
    {
        const QString nodePath = hidrawPath(m_devRoot, node, 0);
        const int fd = ::open(QFile::encodeName(nodePath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return {};
        QByteArray bytes;
        if (isCharDevice(fd))
            bytes = descriptorFromFd(fd);
        ::close(fd);
        return bytes;
    }

    QVector<HidDeviceInfo> interfacesOf(int node) const
    {
        const QString dir = hidDeviceDir(node);
        if (dir.isEmpty())
            return {};
        HidUevent uevent;
        if (!parseHidUevent(readBounded(dir + QStringLiteral("/uevent"), MaxUeventBytes), uevent))
            return {};

        HidDeviceInfo base;
        base.path = hidrawPath(m_devRoot, node, 0);
        base.accessDenied = isAccessDenied(base.path);
        base.vendorId = uevent.vendorId;
        base.productId = uevent.productId;
        base.productString = uevent.name.left(MaxProductChars);

        // A USB HID device sits below its interface, which sits below the
        // USB device that has the release number and the product string.
        QDir up(dir);
        for (int level = 0; level < 2 && up.cdUp(); ++level) {
            const QString bcdPath = up.filePath(QStringLiteral("bcdDevice"));
            if (!QFileInfo(bcdPath).isFile())
                continue;
            quint16 release = 0;
            if (parseBcdDevice(readBounded(bcdPath, MaxAttributeBytes), release))
                base.releaseNumber = release;
            const QString product =
                firstLine(readBounded(up.filePath(QStringLiteral("product")), MaxAttributeBytes),
                          MaxProductChars);
            if (!product.isEmpty())
                base.productString = product;
            break;
        }

        QByteArray bytes = readBounded(dir + QStringLiteral("/report_descriptor"), HID_DESCRIPTOR_MAX_BYTES);
        if (bytes.isEmpty())
            bytes = nodeDescriptor(node);
        HidDescriptor descriptor;
        // A descriptor we cannot read still leaves the ids to report; the
        // interface then shows no usage and no reports, so nothing opens it
        // by usage.
        if (bytes.isEmpty() || !parseHidReportDescriptor(bytes, descriptor)
            || descriptor.collections.isEmpty())
            return {base};

        QVector<HidDeviceInfo> infos;
        for (int i = 0; i < descriptor.collections.size(); ++i) {
            const HidTopCollection &c = descriptor.collections.at(i);
            HidDeviceInfo info = base;
            info.path = hidrawPath(m_devRoot, node, i);
            info.usagePage = c.usagePage;
            info.usage = c.usage;
            info.inputReportLength = c.reportByteLength(HidReportType::Input);
            info.outputReportLength = c.reportByteLength(HidReportType::Output);
            info.featureReportLength = c.reportByteLength(HidReportType::Feature);
            info.featureValueCaps = c.valueCaps(HidReportType::Feature);
            infos.append(info);
        }
        return infos;
    }

    QString m_sysRoot;
    QString m_devRoot;
};

} // namespace

std::unique_ptr<HidDevice> createHidrawDevice(int fd, bool numberedInputReports)
{
    return std::make_unique<HidrawDevice>(fd, numberedInputReports);
}

std::unique_ptr<HidBus> createHidrawBus(const QString &sysRoot, const QString &devRoot)
{
    return std::make_unique<HidrawBus>(sysRoot, devRoot);
}

QString hidAccessFixCommands()
{
    // An installed program has the rule beside it; otherwise the commands
    // run in the source folder, as the README says.
    const QString rule = QStringLiteral("70-ox8driver.rules");
    QString source = QStringLiteral("resources/udev/") + rule;
    if (QCoreApplication::instance()) {
        const QFileInfo installed(QCoreApplication::applicationDirPath() + QStringLiteral("/../lib/udev/rules.d/")
                                  + rule);
        if (installed.isFile())
            source = installed.canonicalFilePath();
    }
    return QStringLiteral("sudo cp %1 /etc/udev/rules.d/\n"
                          "sudo udevadm control --reload\n"
                          "sudo udevadm trigger")
        .arg(source);
}

std::unique_ptr<HidBus> createSystemHidBus()
{
    return createHidrawBus(QStringLiteral("/sys"), QStringLiteral("/dev"));
}
