// The code selection: a code type picked in either direction sets its flag bits and fills the
// code table; a row picked there stores its code byte.
#include "editor/ViewInternals.h"
#include "memory/CodeTables.h"
#include "memory/Signalling.h"

namespace qarlo {

void CQarloView::onCodeTypePicked(Side side) {
    EditScope scope(*this);
    const Direction d = side == Side::Transmit ? Direction::Transmit : Direction::Receive;
    ListBox* types = side == Side::Transmit ? txCodeTypeList : rxCodeTypeList;
    const int type = types->GetCurSel();
    if (type != CODE_TYPE_QT && type != CODE_TYPE_DQT && type != CODE_TYPE_NONE) return;
    UpdateData(false);
    fillCodeTable(side == Side::Transmit ? txCodeTableList : rxCodeTableList, type);
    std::uint8_t* flags = document.record(currentChannel) + REC_FLAGS;
    *flags = withCodeType(*flags, d, type);
}

void CQarloView::onCodeTablePicked(Side side) {
    EditScope scope(*this);
    const Direction d = side == Side::Transmit ? Direction::Transmit : Direction::Receive;
    ListBox* table = side == Side::Transmit ? txCodeTableList : rxCodeTableList;
    const int row = table->GetCurSel();
    if (row < 0) return;
    const std::uint8_t flags = document.flags(currentChannel);
    std::uint8_t code = 0;
    if (flags & codedBit(d)) {
        if (flags & ctcssBit(d)) {
            // A row the tone table does not have stores nothing rather than a byte of no tone.
            if (row >= static_cast<int>(CtcssTable.size())) return;
            code = encodeCtcssRow(row);
        } else {
            if (row >= static_cast<int>(DcsTable.size())) return;
            code = encodeDcsRow(row);
        }
    }
    if (side == Side::Transmit) {
        document.setTxCode(currentChannel, code);
    } else {
        document.setRxCode(currentChannel, code);
    }
}

void CQarloView::OnSelchangeTxCodeType() {
    onCodeTypePicked(Side::Transmit);
}
void CQarloView::OnSelchangeRxCodeType() {
    onCodeTypePicked(Side::Receive);
}
void CQarloView::OnSelchangeTxCodeTable() {
    onCodeTablePicked(Side::Transmit);
}
void CQarloView::OnSelchangeRxCodeTable() {
    onCodeTablePicked(Side::Receive);
}

} // namespace qarlo
