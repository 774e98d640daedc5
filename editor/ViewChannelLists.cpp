// The two channel lists: all sixteen channels, and the programmed ones in channel order, kept in
// step with each other and with the channel the form shows.
#include "editor/ViewInternals.h"

namespace qarlo {

void CQarloView::fillProgrammedList() {
    programmedList->ResetContent();
    for (int j = 0; j < CHANNEL_COUNT; ++j) {
        const std::uint8_t entry = document.ProgrammedChannelList[static_cast<std::size_t>(j)];
        if (entry == LIST_END) break;
        programmedList->InsertString(j, FromUtf8(ChannelName(entry)));
    }
}

void CQarloView::RefillProgrammedList() {
    if (document.listRefillPending != -1) return;
    document.listRefillPending = 1;
    fillProgrammedList();
    programmedList->SetCurSel(programmedPos);
}

void CQarloView::OnSelchangeChannelList() {
    const int sel = channelList->GetCurSel();
    if (sel != -1) document.selectedChannel = sel;
    if (currentChannel != document.selectedChannel && validChannel(document.selectedChannel)) {
        currentChannel = document.selectedChannel;
        ShowChannel(currentChannel);
    }
    programmedPos = -1;
    for (int pos = 0; pos < CHANNEL_COUNT; ++pos) {
        if (document.ProgrammedChannelList[static_cast<std::size_t>(pos)] == sel)
            programmedPos = pos;
    }
    programmedList->SetCurSel(programmedPos);
}

void CQarloView::OnSelchangeProgrammedList() {
    const int pos = programmedList->GetCurSel();
    if (pos < 0 || pos >= CHANNEL_COUNT) return;
    const int ch = document.ProgrammedChannelList[static_cast<std::size_t>(pos)];
    if (!validChannel(ch)) return;
    channelList->SetCurSel(ch);
    document.selectedChannel = ch;
    currentChannel = ch;
    programmedPos = pos;
    ShowChannel(ch);
}

void CQarloView::SelectChannel(int channel) {
    if (!validChannel(channel)) return;
    currentChannel = channel;
    document.selectedChannel = channel;
    channelList->SetCurSel(channel);
    programmedPos = -1;
    for (int pos = 0; pos < CHANNEL_COUNT; ++pos) {
        if (document.ProgrammedChannelList[static_cast<std::size_t>(pos)] == channel) {
            programmedPos = pos;
            break;
        }
    }
    programmedList->SetCurSel(programmedPos);
    ShowChannel(channel);
}

void CQarloView::UpdateProgrammedList() {
    auto& list = document.ProgrammedChannelList;
    const int sel = channelList->GetCurSel();
    if (!validChannel(sel)) return; // the channel list always has a selection once initialised

    if (document.IsChannelProgrammed(currentChannel)) {
        int i = 0;
        while (i < CHANNEL_COUNT && list[static_cast<std::size_t>(i)] < sel)
            ++i;
        programmedPos = i;
        if (i < CHANNEL_COUNT && list[static_cast<std::size_t>(i)] != sel) {
            for (int k = CHANNEL_COUNT - 1; k > i; --k)
                list[static_cast<std::size_t>(k)] = list[static_cast<std::size_t>(k - 1)];
            list[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(sel);
        }
        fillProgrammedList();
        programmedList->SetCurSel(programmedPos);
        return;
    }

    programmedPos = NO_CHANNEL;
    const int again = channelList->GetCurSel();
    for (int k = 0; k < CHANNEL_COUNT; ++k) {
        if (list[static_cast<std::size_t>(k)] != again) continue;
        programmedPos = k;
        for (int m = k; m < CHANNEL_COUNT - 1; ++m)
            list[static_cast<std::size_t>(m)] = list[static_cast<std::size_t>(m + 1)];
        list[CHANNEL_COUNT - 1] = LIST_END;
        fillProgrammedList();
        programmedList->SetCurSel(-1);
        return;
    }
}

} // namespace qarlo
