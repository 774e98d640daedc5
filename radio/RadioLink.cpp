#include "RadioLink.h"

#include "radio/Messages.h"
#include "radio/Protocol.h"
#include "radio/SerialPort.h"

#include <QTimer>

#include <algorithm>

namespace qarlo {

namespace {

constexpr int TIMER_INTERVAL_MS[4] = {0, IMAGE_READ_WAIT_MS, IMAGE_WRITE_WAIT_MS,
                                      HANDSHAKE_WAIT_MS}; // by timer id

const QString& msgHandshakeOpenFailed() {
    static const QString text = QString::fromUtf8("建立通信失败");
    return text;
}
const QString& msgReadOpenFailed() {
    static const QString text = QString::fromUtf8("创建通信失败");
    return text;
}
const QString& msgImageOpenFailed() {
    static const QString text = QString::fromUtf8("建立通信文件失败");
    return text;
}
const QString& msgCheckConnection() {
    static const QString text = QString::fromUtf8("请检查COM口至对讲机的连接及其设置");
    return text;
}
const QString& msgReadDone() {
    static const QString text = QString::fromUtf8("数据已从对讲机中读出");
    return text;
}
const QString& msgWriteDone() {
    static const QString text = QString::fromUtf8("数据已写入对讲机");
    return text;
}

} // namespace

RadioLink::RadioLink(CQarloDoc& document, QObject* parent)
    : QObject(parent), doc(document), port(std::make_unique<SerialPort>()) {
    for (int id : {TIMER_IMAGE_READ, TIMER_IMAGE_WRITE, TIMER_HANDSHAKE}) {
        timers[id] = new QTimer(this);
        timers[id]->setSingleShot(true);
        timers[id]->setTimerType(Qt::PreciseTimer);
        timers[id]->setInterval(TIMER_INTERVAL_MS[id]);
        connect(timers[id], &QTimer::timeout, this, [this, id] { OnTimer(id); });
    }
}

RadioLink::~RadioLink() {
    OnClose();
}

std::uint8_t RadioLink::TransferMode() const {
    return mode;
}

bool RadioLink::isBusy() const {
    return mode != MODE_IDLE;
}

void RadioLink::OnRadioRead() {
    if (mode != MODE_IDLE) return;
    mode = MODE_READ;
    transferPortName = QString::fromStdString(doc.portName);
    SendHandshake();
}

void RadioLink::OnRadioWrite() {
    if (mode != MODE_IDLE) return;
    mode = MODE_WRITE;
    const EncodeResult result = EncodeRadioImage(doc, IoBuffer);
    if (!result.ok()) {
        // The message first; only then does the editor move to the failing channel.
        const CheckFailure& failure = *result.failure;
        ShowMessage(QString::fromUtf8(failure.message.data(),
                                      static_cast<qsizetype>(failure.message.size())));
        doc.selectedChannel = failure.channel;
        emit writeCheckFailed(failure.channel);
        mode = MODE_IDLE;
        emit transferFinished(false);
        return;
    }
    transferPortName = QString::fromStdString(doc.portName);
    SendHandshake();
}

void RadioLink::OnClose() {
    killTimers();
    port->Close();
    mode = MODE_IDLE;
}

void RadioLink::killTimers() {
    for (int id : {TIMER_IMAGE_READ, TIMER_IMAGE_WRITE, TIMER_HANDSHAKE})
        timers[id]->stop();
}

void RadioLink::armTimer(int id) {
    timers[id]->start();
}

void RadioLink::setTimeScale(double scale) {
    for (int id : {TIMER_IMAGE_READ, TIMER_IMAGE_WRITE, TIMER_HANDSHAKE})
        timers[id]->setInterval(ScaledInterval(TIMER_INTERVAL_MS[id], scale));
    port->setTimeScale(scale);
}

// Every failure ends the same way: nothing open, no timer, idle, the owner told.
void RadioLink::fail(const QString& message) {
    killTimers();
    port->Close();
    ShowMessage(message);
    mode = MODE_IDLE;
    emit transferFinished(false);
}

void RadioLink::SendHandshake() {
    packet = HandshakePacket;
    if (!port->OpenPort(transferPortName)) {
        fail(msgHandshakeOpenFailed());
        return;
    }
    port->Write(packet.data(), static_cast<int>(packet.size()));
    std::fill_n(IoBuffer.begin() + IO_INCOMING, 4, std::uint8_t{0});
    port->StartReceive(IoBuffer.data() + IO_INCOMING);
    armTimer(TIMER_HANDSHAKE);
}

void RadioLink::SendReadRequest() {
    packet = ReadRequest;
    if (!port->OpenPort(transferPortName)) {
        fail(msgReadOpenFailed());
        return;
    }
    port->Write(packet.data(), static_cast<int>(packet.size()));
    // The tail of a late handshake reply, or a radio that never stops talking, must not pass
    // for the image: only a stream that starts after the request has gone out is kept.
    port->StartReceive(IoBuffer.data() + IO_INCOMING, SerialPort::Receive::AnswerOnly);
    armTimer(TIMER_IMAGE_READ);
}

void RadioLink::SendRadioImage() {
    if (!port->OpenPort(transferPortName)) {
        fail(msgImageOpenFailed());
        return;
    }
    port->Write(IoBuffer.data(), RADIO_IMAGE_SIZE);
    armTimer(TIMER_IMAGE_WRITE);
}

void RadioLink::OnTimer(int id) {
    // Nothing that arrived is looked at while a read could still be filling the buffer.
    port->Close();
    switch (id) {
    case TIMER_HANDSHAKE:
        timers[TIMER_HANDSHAKE]->stop();
        if (std::equal(HandshakeReplyStart.begin(), HandshakeReplyStart.end(),
                       IoBuffer.begin() + IO_INCOMING)) {
            if (mode == MODE_WRITE) SendRadioImage();
            if (mode == MODE_READ) SendReadRequest();
        } else {
            // The transfer is over before the user is told why.
            mode = MODE_IDLE;
            ShowMessage(msgCheckConnection());
            emit transferFinished(false);
        }
        break;
    case TIMER_IMAGE_READ:
        if (mode == MODE_READ) {
            timers[TIMER_IMAGE_READ]->stop();
            OnReadComplete();
        }
        break;
    case TIMER_IMAGE_WRITE:
        if (mode == MODE_WRITE) {
            timers[TIMER_IMAGE_WRITE]->stop();
            OnWriteComplete();
        }
        break;
    default:
        break;
    }
}

void RadioLink::OnReadComplete() {
    if (mode != MODE_READ) return;
    // Only a whole image from a device that stayed with us goes into the document; anything
    // less would overwrite good channels with leftovers of the handshake.
    if (port->received() < RADIO_IMAGE_SIZE || port->lost()) {
        fail(msgCheckConnection());
        return;
    }
    DecodeRadioImage(doc, IoBuffer);
    doc.SetModifiedFlag(true);
    emit imageDecoded();
    ShowMessage(msgReadDone());
    mode = MODE_IDLE;
    emit transferFinished(true);
}

void RadioLink::OnWriteComplete() {
    if (mode != MODE_WRITE) return;
    // An image the device never took is not "written".
    if (port->writeFailed()) {
        fail(msgCheckConnection());
        return;
    }
    ShowMessage(msgWriteDone());
    mode = MODE_IDLE;
    emit transferFinished(true);
}

} // namespace qarlo
