#pragma once

#include "platform/hidbus.h"

#include <QByteArray>
#include <QList>
#include <QVector>

#include <memory>

// One answer of a device to a transfer that reads: the bytes (report id
// first), or a failed transfer.
struct FuzzAnswer
{
    bool ok = true;
    QByteArray bytes;
};

// The answer stream of a fuzzer input: records of a 16-bit little-endian
// length and that many bytes; the length 0xFFFF stands for a failed
// transfer. A cut-off last record gives the bytes that are there.
QByteArray encodeFuzzAnswers(const QList<FuzzAnswer> &answers);

// A HID bus that lists the interfaces it was given and answers every read
// (getInputReport, getFeature, read) with the next record of an answer
// stream, whatever was asked; writes and set-features always succeed. Once
// the stream is used up every transfer fails, so no input makes a driver
// loop for ever. Serves every interface from the same stream, in the order
// the host asks.
class FuzzHidBus final : public HidBus
{
public:
    explicit FuzzHidBus(const QVector<HidDeviceInfo> &interfaces);
    ~FuzzHidBus() override;

    void setAnswers(const QByteArray &stream);

    QVector<HidDeviceInfo> enumerate() override;
    std::unique_ptr<HidDevice> open(const QString &path) override;

    struct Stream
    {
        QByteArray bytes;
        int pos = 0;
        // False when the stream is used up or the record is a failure.
        bool next(QByteArray &answer);
    };

private:
    QVector<HidDeviceInfo> m_interfaces;
    std::shared_ptr<Stream> m_stream;
};

// Sits in front of another bus and notes every answer its devices give, in
// the order FuzzHidBus hands them out again: the seed corpora of the device
// harnesses are conversations with the emulators, recorded through this.
class RecordingHidBus final : public HidBus
{
public:
    explicit RecordingHidBus(HidBus &inner);
    ~RecordingHidBus() override;

    QVector<HidDeviceInfo> enumerate() override;
    std::unique_ptr<HidDevice> open(const QString &path) override;

    const QList<FuzzAnswer> &answers() const { return *m_answers; }

private:
    HidBus &m_inner;
    std::shared_ptr<QList<FuzzAnswer>> m_answers;
};
