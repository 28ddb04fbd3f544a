// Replies of the web service: the common envelope {"code", "msg", "data"}
// every call reads first. The first byte picks a failed transfer or the
// default code; the rest is the body.
#include "fuzz/common/fuzzsupport.h"

#include "cloud/rpaccountmanage.h"

#include <QNetworkReply>

namespace {
// A finished reply that serves a body from memory.
class CannedReply final : public QNetworkReply
{
public:
    CannedReply(const QByteArray &body, bool failed)
        : m_body(body)
    {
        setOpenMode(QIODevice::ReadOnly);
        if (failed)
            setError(QNetworkReply::ConnectionRefusedError, QStringLiteral("refused"));
        setFinished(true);
    }
    void abort() override {}
    qint64 bytesAvailable() const override { return m_body.size() - m_pos + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = qMin<qint64>(maxSize, m_body.size() - m_pos);
        if (n <= 0)
            return -1;
        memcpy(data, m_body.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }

private:
    QByteArray m_body;
    qint64 m_pos = 0;
};
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initFuzzProcess(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const quint8 flags = in.byte();
    CannedReply reply(in.rest(), flags & 1);
    const ServiceReply out = RPAccountManage::readReply(&reply, (flags & 2) ? 10 : 0, (flags & 4) ? 582 : 580);
    (void)resultTextNumber(out.code);
    return 0;
}
