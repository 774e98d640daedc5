#pragma once
// Shared by the radio tests: a valid document, a recorder of what the link tells its owner, and
// a wait for the end of a transfer.
#include "memory/CQarloDoc.h"
#include "radio/RadioImage.h"
#include "radio/RadioLink.h"
#include "radio/TransferOutcome.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <utility>

namespace qarlo::test {

inline const QString MSG_OPEN_HANDSHAKE = QString::fromUtf8("建立通信失败");
inline const QString MSG_CHECK_LINK = QString::fromUtf8("请检查COM口至对讲机的连接及其设置");
inline const QString MSG_READ_DONE = QString::fromUtf8("数据已从对讲机中读出");
inline const QString MSG_WRITE_DONE = QString::fromUtf8("数据已写入对讲机");

// Three programmed channels in a 400..440 MHz band; passes every check.
inline CQarloDoc validDoc(std::int32_t firstFreq = 43012500) {
    CQarloDoc doc;
    doc.OnNewDocument();
    doc.setBandLow(400 * 25000);
    doc.setBandHigh(440 * 25000);
    doc.setTotTenths(30);
    doc.setRxFreq(0, firstFreq);
    doc.setTxFreq(0, firstFreq);
    doc.setRxFreq(3, 41000000);
    doc.setTxFreq(3, 41500000);
    doc.setFlags(3, FLAG_NARROW);
    doc.setSquelch(3, 7);
    doc.setRxFreq(15, 43987500);
    doc.setTxFreq(15, 43987500);
    doc.RebuildProgrammedList();
    return doc;
}

inline QByteArray imageOf(const CQarloDoc& doc) {
    IoBufferBytes buffer{};
    EncodeRadioImage(doc, buffer);
    return QByteArray(reinterpret_cast<const char*>(buffer.data()), RADIO_IMAGE_SIZE);
}

// Runs the event loop until `pred` holds or `ms` pass.
template <typename Pred> bool spinUntil(Pred pred, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    if (pred()) return true;
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (pred() || deadline.hasExpired()) loop.quit();
    });
    tick.start(5);
    loop.exec();
    return pred();
}

inline void spin(int ms) {
    spinUntil([] { return false; }, ms);
}

// Everything the link tells its owner, in order, with the outcome's text as "message:TEXT".
class LinkRecorder {
public:
    explicit LinkRecorder(RadioLink& link) {
        QObject::connect(&link, &RadioLink::imageDecoded, [this] { events << "imageDecoded"; });
        QObject::connect(&link, &RadioLink::transferFinished,
                         [this, &link](const TransferOutcome& outcome) {
                             ++finishedCount;
                             idleAtFinish = !link.isBusy();
                             last = outcome;
                             const std::string_view text = OutcomeMessage(outcome);
                             events << "message:" + QString::fromUtf8(text.data(), text.size());
                             events << (outcome.succeeded() ? "finished:ok" : "finished:failed");
                         });
        QObject::connect(&link, &RadioLink::progress, [this](TransferStep step, int n, int all) {
            progress << QStringLiteral("%1:%2/%3").arg(static_cast<int>(step)).arg(n).arg(all);
        });
    }
    LinkRecorder(const LinkRecorder&) = delete; // the connections hold `this`
    LinkRecorder& operator=(const LinkRecorder&) = delete;

    // Runs the event loop until `count` transfers have finished in all, or `ms` have passed.
    bool waitFinished(int count = 1, int ms = 8000) {
        return spinUntil([&] { return finishedCount >= count; }, ms);
    }
    // The events of the transfers since the last call.
    QStringList take() { return std::exchange(events, {}); }

    QStringList events;
    QStringList progress; // "STEP:BYTES/TOTAL" as the link reported it
    int finishedCount = 0;
    bool idleAtFinish = false;
    TransferOutcome last;
};

} // namespace qarlo::test
