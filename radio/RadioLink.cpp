#include "RadioLink.h"

#include <algorithm>

namespace qarlo {

namespace {

constexpr int TIMER_INTERVAL_MS[4] = {0, IMAGE_READ_WAIT_MS, IMAGE_WRITE_WAIT_MS,
                                      HANDSHAKE_WAIT_MS}; // by timer id

using Kind = TransferOutcome::Kind;

constexpr int WRITE_PROGRESS_LOOK_MS = 50; // about 12 bytes at 2400 baud

int stepTotal(TransferStep step) {
    return step == TransferStep::Handshake ? static_cast<int>(HandshakePacket.size())
                                           : RADIO_IMAGE_SIZE;
}

} // namespace

RadioLink::RadioLink(CQarloDoc& document, QObject* parent)
    : QObject(parent), doc(document), port(std::make_unique<SerialPort>()) {
    makeTimers(Clock::system());
}

RadioLink::RadioLink(CQarloDoc& document, std::unique_ptr<Line> line, Clock& clock, QObject* parent)
    : QObject(parent), doc(document), port(std::make_unique<SerialPort>(std::move(line), clock)) {
    makeTimers(clock);
}

void RadioLink::makeTimers(Clock& clock) {
    for (int id : {TIMER_IMAGE_READ, TIMER_IMAGE_WRITE, TIMER_HANDSHAKE}) {
        timers[id] = clock.makeTimer([this, id] { OnTimer(id); });
        intervals[id] = TIMER_INTERVAL_MS[id];
    }
    writeProgress = clock.makeTimer([this] { pollWriteProgress(); });
    connect(port.get(), &SerialPort::bytesKept, this, &RadioLink::reportProgress);
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

bool RadioLink::OnRadioRead() {
    return startRead(false);
}

bool RadioLink::OnRadioCompare() {
    return startRead(true);
}

bool RadioLink::startRead(bool compareOnly) {
    if (mode != MODE_IDLE) return false;
    mode = MODE_READ;
    comparing = compareOnly;
    transferPortName = QString::fromStdString(doc.portName);
    SendHandshake();
    return mode == MODE_READ;
}

bool RadioLink::OnRadioWrite() {
    if (mode != MODE_IDLE) return false;
    mode = MODE_WRITE;
    const EncodeResult result = EncodeRadioImage(doc, IoBuffer);
    if (!result.ok()) {
        finish(TransferOutcome::CheckFailedAt(*result.failure));
        return false;
    }
    transferPortName = QString::fromStdString(doc.portName);
    SendHandshake();
    return mode == MODE_WRITE;
}

void RadioLink::OnClose() {
    killTimers();
    port->Close();
    mode = MODE_IDLE;
    comparing = false;
}

void RadioLink::startStep(TransferStep step) {
    currentStep = step;
    lastProgress = -1;
    reportProgress(0);
}

void RadioLink::reportProgress(int bytes) {
    const int total = stepTotal(currentStep);
    bytes = std::clamp(bytes, 0, total);
    if (mode == MODE_IDLE || bytes == lastProgress) return;
    lastProgress = bytes;
    emit progress(currentStep, bytes, total);
}

void RadioLink::pollWriteProgress() {
    reportProgress(RADIO_IMAGE_SIZE - port->unsentBytes());
    if (lastProgress < RADIO_IMAGE_SIZE) writeProgress->start(WRITE_PROGRESS_LOOK_MS);
}

void RadioLink::killTimers() {
    for (int id : {TIMER_IMAGE_READ, TIMER_IMAGE_WRITE, TIMER_HANDSHAKE})
        timers[id]->stop();
    writeProgress->stop();
}

void RadioLink::armTimer(int id) {
    timers[id]->start(intervals[id]);
}

void RadioLink::setTimeScale(double scale) {
    for (int id : {TIMER_IMAGE_READ, TIMER_IMAGE_WRITE, TIMER_HANDSHAKE})
        intervals[id] = ScaledInterval(TIMER_INTERVAL_MS[id], scale);
    port->setTimeScale(scale);
}

void RadioLink::setTrace(TraceHandler handler) {
    port->setTrace(std::move(handler));
}

// Every transfer ends the same way: nothing open, no timer, idle, the owner told once.
void RadioLink::finish(const TransferOutcome& outcome) {
    killTimers();
    port->Close();
    mode = MODE_IDLE;
    comparing = false;
    emit transferFinished(outcome);
}

bool RadioLink::openFor(TransferStep step) {
    OpenResult opened = port->OpenPort(transferPortName);
    if (opened.ok()) return true;
    finish(TransferOutcome::OpenFailedAt(step, std::move(*opened.failure)));
    return false;
}

void RadioLink::SendHandshake() {
    packet = HandshakePacket;
    if (!openFor(TransferStep::Handshake)) return;
    port->Write(packet.data(), static_cast<int>(packet.size()));
    std::fill_n(IoBuffer.begin() + IO_INCOMING, 4, std::uint8_t{0});
    startStep(TransferStep::Handshake);
    port->StartReceive(IoBuffer.data() + IO_INCOMING);
    armTimer(TIMER_HANDSHAKE);
}

void RadioLink::SendReadRequest() {
    packet = ReadRequest;
    if (!openFor(TransferStep::ImageRequest)) return;
    port->Write(packet.data(), static_cast<int>(packet.size()));
    // The tail of a late handshake reply, or a radio that never stops talking, must not pass
    // for the image: only a stream that starts after the request has gone out is kept.
    startStep(TransferStep::ImageRequest);
    port->StartReceive(IoBuffer.data() + IO_INCOMING, SerialPort::Receive::AnswerOnly);
    armTimer(TIMER_IMAGE_READ);
}

void RadioLink::SendRadioImage() {
    if (!openFor(TransferStep::Image)) return;
    startStep(TransferStep::Image);
    port->Write(IoBuffer.data(), RADIO_IMAGE_SIZE);
    writeProgress->start(WRITE_PROGRESS_LOOK_MS);
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
            finish(TransferOutcome::Of(Kind::NoHandshake));
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
        finish(TransferOutcome::Of(Kind::IncompleteImage));
        return;
    }
    if (comparing) {
        RadioImage radio{};
        std::copy_n(IoBuffer.begin() + IO_INCOMING, RADIO_IMAGE_SIZE, radio.begin());
        finish(TransferOutcome::ComparedWith(doc, radio));
        return;
    }
    DecodeRadioImage(doc, IoBuffer);
    doc.SetModifiedFlag(true);
    emit imageDecoded();
    finish(TransferOutcome::Of(Kind::ReadDone));
}

void RadioLink::OnWriteComplete() {
    if (mode != MODE_WRITE) return;
    // An image the device never took is not "written".
    finish(TransferOutcome::Of(port->writeFailed() ? Kind::ImageNotTaken : Kind::WriteDone));
}

} // namespace qarlo
