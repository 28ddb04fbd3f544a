// The analytics collector's answers, and the identifiers file it keeps per
// user. The input first gives the text of that file, then a run of steps:
// hits queued (with texts from the input), send-timer ticks, answers to the
// post in flight (an HTTP status or none, a transport error, a body), time
// passing (hits grow stale) and consent changing. After every step the queue
// stays bounded, at most one post is in flight, nothing is kept or sent
// without consent, and every post decodes as a form naming our tracking id
// once and one client id.
#include "fuzz/common/fuzzsupport.h"

#include "analytics/ganalytics.h"
#include "analytics/identitystore.h"
#include "fuzz/common/cannedreply.h"
#include "platform/clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QUrl>

namespace {
const char kTrackingId[] = "UA-1807-1";
constexpr int kMaxQueuedHits = 1000; // the client's own bound
constexpr int kMaxSteps = 96;

// Hands every post an unfinished reply the harness answers later.
class FakeCollector final : public QNetworkAccessManager
{
public:
    QPointer<CannedReply> inFlight;
    QByteArray lastBody;
    int posts = 0;
    int overlapping = 0;

protected:
    QNetworkReply *createRequest(Operation op, const QNetworkRequest &request, QIODevice *outgoingData) override
    {
        if (inFlight && !inFlight->isFinished())
            ++overlapping;
        lastBody = outgoingData ? outgoingData->readAll() : QByteArray();
        ++posts;
        auto *reply = new CannedReply(op, request);
        reply->setParent(this);
        inFlight = reply;
        return reply;
    }
};

FakeCollector *collector()
{
    static FakeCollector *c = new FakeCollector; // one per process: building one costs more than an input
    return c;
}

using Pairs = QVector<QPair<QString, QString>>;

Pairs decodeForm(const QByteArray &body)
{
    Pairs pairs;
    for (const QByteArray &item : body.split('&')) {
        const int eq = item.indexOf('=');
        if (eq < 0)
            __builtin_trap(); // every parameter has a value, even an empty one
        pairs.append({QUrl::fromPercentEncoding(item.left(eq)), QUrl::fromPercentEncoding(item.mid(eq + 1))});
    }
    return pairs;
}

int countKey(const Pairs &pairs, const QString &key, QString *value = nullptr)
{
    int n = 0;
    for (const auto &p : pairs) {
        if (p.first == key) {
            ++n;
            if (value)
                *value = p.second;
        }
    }
    return n;
}

QString text(FuzzInput &in)
{
    return QString::fromUtf8(in.take(in.byte() % 24));
}

QNetworkReply::NetworkError transportError(quint8 pick)
{
    switch (pick % 4) {
    case 1:
        return QNetworkReply::ContentNotFoundError;
    case 2:
        return QNetworkReply::RemoteHostClosedError;
    case 3:
        return QNetworkReply::TimeoutError;
    default:
        return QNetworkReply::NoError;
    }
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initFuzzProcess(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const QString identity = analyticsIdentityPath();
    QDir().mkpath(QFileInfo(identity).path());
    if (!putFuzzFile(identity, in.take(in.word() % 512)))
        return 0;

    FakeCollector *net = collector();
    net->posts = 0;
    net->overlapping = 0;
    VirtualClock clock;
    {
        GAnalytics ga;
        ga.setClock(&clock);
        ga.setNetworkAccessManager(net);
        ga.setSendInterval(0);
        ga.setTrackingID(QLatin1String(kTrackingId));
        ga.setEndpoint(QUrl(QStringLiteral("http://127.0.0.1:9/collect")));
        ga.setEnabled(true);

        int seenPosts = 0;
        for (int step = 0; step < kMaxSteps && !in.atEnd(); ++step) {
            switch (in.byte() % 8) {
            case 0:
                ga.sendEvent(text(in), text(in), text(in), (in.byte() & 1) ? QVariant(int(in.word())) : QVariant());
                break;
            case 1:
                ga.sendPageView(text(in));
                break;
            case 2:
                ga.sendException(text(in), in.byte() & 1);
                break;
            case 3:
                QCoreApplication::processEvents();
                break;
            case 4:
                if (net->inFlight) {
                    const quint16 status = in.word();
                    net->inFlight->finish(status ? 100 + status % 500 : 0, transportError(in.byte()), in.take(in.byte()));
                }
                break;
            case 5:
                clock.advance(qint64(in.byte()) * 10000);
                break;
            case 6:
                ga.setEnabled(!ga.isEnabled());
                break;
            default:
                if (in.byte() & 1)
                    ga.startSession();
                else
                    ga.endSession();
                break;
            }
            flushDeletes();

            if (ga.queuedHitCount() > kMaxQueuedHits || net->overlapping)
                __builtin_trap();
            // Without consent nothing waits and nothing is on the way.
            if (!ga.isCollecting() && (ga.queuedHitCount() || (net->inFlight && !net->inFlight->isFinished())))
                __builtin_trap();
            if (net->posts != seenPosts) {
                seenPosts = net->posts;
                const Pairs hit = decodeForm(net->lastBody);
                QString tid;
                QString cid;
                if (countKey(hit, QStringLiteral("tid"), &tid) != 1 || tid != QLatin1String(kTrackingId)
                    || countKey(hit, QStringLiteral("cid"), &cid) != 1 || cid.isEmpty())
                    __builtin_trap();
            }
        }
    }
    flushDeletes();
    qDeleteAll(net->findChildren<CannedReply *>());
    return 0;
}
