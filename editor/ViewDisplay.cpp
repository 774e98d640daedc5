// What the form shows: its lists filled at start and after New or Open, and one channel's
// record with the radio-wide settings.
#include "editor/ViewInternals.h"
#include "memory/Bytes.h"
#include "memory/CodeTables.h"
#include "memory/Signalling.h"
#include "memory/Units.h"

namespace qarlo {

void CQarloView::OnInitialUpdate() {
    UpdateData(false);

    channelList->ResetContent();
    for (int i = 0; i < CHANNEL_COUNT; ++i)
        channelList->InsertString(i, FromUtf8(ChannelName(i)));
    channelList->SetCurSel(0);

    for (ListBox* types : {txCodeTypeList, rxCodeTypeList}) {
        types->ResetContent();
        for (int row = 0; row < static_cast<int>(CodeTypeTable.size()); ++row)
            types->InsertString(row, FromUtf8(CodeTypeTable[static_cast<std::size_t>(row)]));
        types->SetCurSel(CODE_TYPE_NONE);
    }

    bandwidthList->ResetContent();
    bandwidthList->InsertString(0, TextWide());
    bandwidthList->InsertString(1, TextNarrow());
    bandwidthList->SetCurSel(0);

    squelchSpin->SetRange(SQUELCH_MIN, SQUELCH_MAX);
    squelchSpin->SetPos(DEFAULT_SQUELCH);

    UpdateData(false);
    programmedPos = -1;

    if (currentChannel != document.selectedChannel) {
        // Anything but a channel index (255 = none chosen yet) brings the editor to channel 0.
        if (!validChannel(document.selectedChannel)) document.selectedChannel = 0;
        currentChannel = document.selectedChannel;
        ShowChannel(currentChannel);
        if (document.IsChannelProgrammed(0)) programmedList->SetCurSel(0);
    }
}

void CQarloView::ShowChannel(int channel) {
    if (!validChannel(channel)) return;
    const std::uint8_t* rec = document.record(channel);

    rxFreqMHz = static_cast<double>(readSignedBE32(rec + REC_RX_FREQ)) * 0.00001;
    txFreqMHz = static_cast<double>(readSignedBE32(rec + REC_TX_FREQ)) * 0.00001;
    const std::uint8_t rxCode = rec[REC_RX_CODE];
    const std::uint8_t txCode = rec[REC_TX_CODE];
    const std::uint8_t flags = rec[REC_FLAGS];
    const std::uint8_t squelch = rec[REC_SQUELCH];

    squelchSpin->SetPos(squelch);
    totMinutes = static_cast<double>(document.totTenths()) * 0.1;
    UpdateData(false);

    bandHighMHz = BandWholeMHz(document.bandHigh());
    bandLowMHz = BandWholeMHz(document.bandLow());

    bandwidthList->SetCurSel((flags & FLAG_NARROW) ? 1 : 0);

    showSignalling(Side::Transmit, flags, txCode);
    UpdateData(false);
    showSignalling(Side::Receive, flags, rxCode);
    RefillProgrammedList();
    UpdateData(false);
    emit channelShown(channel);
}

void CQarloView::fillCodeTable(ListBox* table, int codeType) {
    table->ResetContent();
    if (codeType == CODE_TYPE_QT) {
        for (int row = 0; row < static_cast<int>(CtcssTable.size()); ++row)
            table->InsertString(row, FromUtf8(CtcssTable[static_cast<std::size_t>(row)]));
    } else if (codeType == CODE_TYPE_DQT) {
        for (int row = 0; row < static_cast<int>(DcsTable.size()); ++row)
            table->InsertString(row, FromUtf8(DcsTable[static_cast<std::size_t>(row)]));
    }
}

void CQarloView::showSignalling(Side side, std::uint8_t flags, std::uint8_t code) {
    const Direction d = side == Side::Transmit ? Direction::Transmit : Direction::Receive;
    ListBox* table = side == Side::Transmit ? txCodeTableList : rxCodeTableList;
    const int type = codeTypeRow(flags, d);
    (side == Side::Transmit ? txCodeTypeList : rxCodeTypeList)->SetCurSel(type);
    fillCodeTable(table, type);
    UpdateData(false);
    if (type != CODE_TYPE_NONE) table->SetCurSel(codeRow(flags, code, d).value_or(-1));
}

} // namespace qarlo
