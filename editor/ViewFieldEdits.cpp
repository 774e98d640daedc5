// The field edits: frequencies, time-out, band edges, bandwidth, squelch and the copy buttons,
// each written into the document the moment the user changes it.
#include "editor/ViewInternals.h"
#include "memory/Signalling.h"
#include "memory/Units.h"

#include <algorithm>

namespace qarlo {

void CQarloView::storeFrequency(Side side) {
    EditScope scope(*this, side == Side::Receive ? IDC_RX_FREQ : IDC_TX_FREQ);
    UpdateData(true);
    const double mhz = side == Side::Receive ? rxFreqMHz : txFreqMHz;
    const std::int32_t units10Hz = FrequencyUnitsFromMHz(mhz);
    if (side == Side::Receive) {
        document.setRxFreq(currentChannel, units10Hz);
    } else {
        document.setTxFreq(currentChannel, units10Hz);
    }
    // A typed fraction of exactly .0125 means a 12.5 kHz channel; nothing here ever widens it.
    const std::int32_t whole = SaturateToInt32(mhz);
    if (static_cast<double>(whole) + 0.0125 == mhz) {
        bandwidthList->SetCurSel(1);
        document.setFlags(currentChannel, document.flags(currentChannel) | FLAG_NARROW);
    }
    UpdateProgrammedList();
}

void CQarloView::OnChangeTxFreq() {
    storeFrequency(Side::Transmit);
}

void CQarloView::OnChangeRxFreq() {
    storeFrequency(Side::Receive);
}

void CQarloView::OnChangeTot() {
    EditScope scope(*this, IDC_TOT);
    UpdateData(true);
    document.setTotTenths(TotTenthsFromMinutes(totMinutes));
}

void CQarloView::OnChangeBandLow() {
    EditScope scope(*this, IDC_BAND_LOW);
    UpdateData(true);
    document.setBandLow(BandUnitsFromMHz(bandLowMHz)); // held to 24 bits, never wrapped
    UpdateData(false);
}

void CQarloView::OnChangeBandHigh() {
    EditScope scope(*this, IDC_BAND_HIGH);
    UpdateData(true);
    document.setBandHigh(BandUnitsFromMHz(bandHighMHz));
    UpdateData(false);
}

void CQarloView::OnSelchangeBandwidth() {
    EditScope scope(*this);
    const int sel = bandwidthList->GetCurSel();
    if (sel < 0) return;
    const QString text = bandwidthList->GetText(sel);
    std::uint8_t flags = document.flags(currentChannel);
    if (text == TextNarrow()) flags |= FLAG_NARROW;
    if (text == TextWide()) flags &= static_cast<std::uint8_t>(~FLAG_NARROW);
    document.setFlags(currentChannel, flags);
}

void CQarloView::OnDeltaposSquelchSpin(int delta, int* result) {
    EditScope scope(*this);
    const long long level = static_cast<long long>(squelchSpin->GetPos()) + delta;
    document.setSquelch(currentChannel, static_cast<std::uint8_t>(std::clamp<long long>(
                                            level, SQUELCH_MIN, SQUELCH_MAX)));
    *result = 0;
}

void CQarloView::copySide(Side from) {
    EditScope scope(*this);
    std::uint8_t* rec = document.record(currentChannel);
    const bool rx = from == Side::Receive;
    std::copy_n(rec + (rx ? REC_RX_FREQ : REC_TX_FREQ), 4, rec + (rx ? REC_TX_FREQ : REC_RX_FREQ));
    rec[rx ? REC_TX_CODE : REC_RX_CODE] = rec[rx ? REC_RX_CODE : REC_TX_CODE];
    rec[REC_FLAGS] =
        withSignallingCopied(rec[REC_FLAGS], rx ? Direction::Receive : Direction::Transmit);
    ShowChannel(currentChannel);
    UpdateProgrammedList();
}

void CQarloView::OnCopyRxToTx() {
    copySide(Side::Receive);
}

void CQarloView::OnCopyTxToRx() {
    copySide(Side::Transmit);
}

} // namespace qarlo
