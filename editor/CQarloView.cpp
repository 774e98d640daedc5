#include "CQarloView.h"

#include "editor/ChannelSheet.h"
#include "memory/Bytes.h"
#include "memory/CodeTables.h"
#include "memory/Signalling.h"
#include "memory/Units.h"
#include "radio/Messages.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QStyleOptionButton>
#include <qdrawutil.h>

#include <algorithm>
#include <string_view>

namespace qarlo {

namespace {

constexpr int SQUELCH_MIN = 0;
constexpr int SQUELCH_MAX = 9;

const QString TEXT_QT = QStringLiteral("QT");
const QString TEXT_DQT = QStringLiteral("DQT");
const QString TEXT_NONE = QStringLiteral("无");
const QString TEXT_WIDE = QStringLiteral("25KHz");
const QString TEXT_NARROW = QStringLiteral("12.5KHz");

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A push button whose caption wraps inside the button, as the form's narrow copy buttons need;
// text() stays the caption exactly.
class MultiLineButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::ButtonText));
        painter.drawText(rect().adjusted(2, 2, -2, -2), Qt::AlignCenter | Qt::TextWrapAnywhere,
                         text());
    }
};

// A group box as the form's template draws one: the top line of the frame runs through the
// middle of the centred caption, which interrupts it.
class CaptionedFrame : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const int pad = metrics.horizontalAdvance(QLatin1Char(' '));
        QRect caption(0, 0, metrics.horizontalAdvance(title()) + 2 * pad, metrics.height());
        caption.moveLeft((width() - caption.width()) / 2);

        // An etched rectangle, drawn here: the style's group frame keeps room for a caption above.
        painter.setClipRegion(QRegion(rect()).subtracted(caption));
        qDrawShadeRect(&painter, rect().adjusted(0, metrics.height() / 2, 0, 0), palette(), true);
        painter.setClipping(false);
        style()->drawItemText(&painter, caption, Qt::AlignCenter, palette(), isEnabled(), title(),
                              QPalette::WindowText);
    }
};

} // namespace

// Marks the document modified, and tells the frame, when a handler changed any byte of it.
class CQarloView::EditScope {
public:
    explicit EditScope(CQarloView& v) : view(v), before(v.document.ChannelMemory) {}
    ~EditScope() {
        if (view.document.ChannelMemory != before) {
            view.document.SetModifiedFlag(true);
            emit view.documentModified();
        }
    }
    EditScope(const EditScope&) = delete;
    EditScope& operator=(const EditScope&) = delete;

private:
    CQarloView& view;
    const ChannelMemoryBytes before;
};

CQarloView::CQarloView(CQarloDoc& doc, RadioLink& link, QWidget* parent)
    : QWidget(parent), document(doc), radioLink(link), units(FormFont()) {
    setObjectName(QStringLiteral("CQarloView"));
    setFont(FormFont());
    createControls();

    exchange.bind(txFreqEdit, &txFreqMHz);
    exchange.bind(totEdit, &totMinutes);
    exchange.bind(rxFreqEdit, &rxFreqMHz);
    exchange.bind(bandLowEdit, &bandLowMHz);
    exchange.bind(bandHighEdit, &bandHighMHz);

    connectHandlers();
    resize(formSizeHint());
}

CQarloView::~CQarloView() = default;

QSize CQarloView::formSizeHint() const {
    return units.size(FORM_WIDTH_DU, FORM_HEIGHT_DU);
}

void CQarloView::createControls() {
    auto place = [this](QWidget* w, const char* name, int x, int y, int cx, int cy) {
        if (name) w->setObjectName(QString::fromLatin1(name));
        w->setGeometry(units.rect(x, y, cx, cy));
    };
    auto edit = [&](const char* name, int x, int y, int cx, int cy) {
        auto* e = new QLineEdit(this);
        place(e, name, x, y, cx, cy);
        return e;
    };
    auto list = [&](const char* name, int x, int y, int cx, int cy) {
        auto* l = new ListBox(this);
        place(l, name, x, y, cx, cy);
        return l;
    };
    std::vector<QWidget*> frames; // labels and group boxes: drawn beneath, never take the mouse
    auto label = [&](const char* text, int x, int y, int cx, int cy) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        place(l, nullptr, x, y, cx, cy);
        frames.push_back(l);
    };
    auto group = [&](const char* text, int x, int y, int cx, int cy) {
        auto* g = new CaptionedFrame(QString::fromUtf8(text), this);
        g->setAlignment(Qt::AlignHCenter);
        g->setFocusPolicy(Qt::NoFocus);
        place(g, nullptr, x, y, cx, cy);
        frames.push_back(g);
    };

    // Template order of form 101, which is also the tab order.
    bandLowEdit = edit("IDC_BAND_LOW", 190, 99, 30, 16);
    totEdit = edit("IDC_TOT", 190, 139, 30, 16);
    channelList = list("IDC_CHANNEL_LIST", 417, 74, 45, 97);
    rxFreqEdit = edit("IDC_RX_FREQ", 202, 224, 50, 16);
    squelchEdit = edit("IDC_SQUELCH", 327, 149, 32, 17);
    squelchEdit->setReadOnly(true);
    squelchSpin = new SpinButtonCtrl(this);
    place(squelchSpin, "IDC_SQUELCH_SPIN", 351, 151, 12, 11);
    squelchSpin->SetBuddy(squelchEdit, SpinButtonCtrl::Align::Right);
    rxCodeTypeList = list("IDC_RX_CODE_TYPE", 200, 259, 36, 29);
    rxCodeTableList = list("IDC_RX_CODE_TABLE", 253, 259, 46, 110);
    copyRxToTxButton = new MultiLineButton(QStringLiteral("复制到==>"), this);
    place(copyRxToTxButton, "IDC_COPY_RX_TO_TX", 337, 224, 22, 56);
    txFreqEdit = edit("IDC_TX_FREQ", 442, 224, 50, 16);
    txCodeTypeList = list("IDC_TX_CODE_TYPE", 442, 259, 35, 31);
    txCodeTableList = list("IDC_TX_CODE_TABLE", 493, 259, 45, 110);
    copyTxToRxButton = new MultiLineButton(QStringLiteral("复制到<=="), this);
    place(copyTxToRxButton, "IDC_COPY_TX_TO_RX", 337, 309, 22, 56);
    group("发射", 383, 204, 170, 180);
    group("接收", 137, 204, 175, 180);
    label("编码表", 272, 244, 25, 11);
    label("级", 371, 155, 11, 11);
    label("编码表", 512, 244, 25, 11);
    label("分", 230, 144, 11, 11);
    group("频道选择", 407, 59, 65, 122);
    group("整机设置", 137, 59, 158, 120);
    label("MHz", 497, 229, 13, 11);
    label("MHz", 257, 229, 13, 11);
    bandHighEdit = edit("IDC_BAND_HIGH", 235, 99, 30, 16);
    label("频    率", 153, 229, 33, 11);
    label("静噪等级", 327, 134, 44, 11);
    label("频   率", 399, 229, 33, 11);
    label("TOT限时", 150, 144, 29, 8);
    label("频  段", 150, 104, 25, 8);
    label("编码类型", 402, 264, 33, 8);
    label("编码类型", 152, 262, 33, 8);
    label("(QT/DQT)", 402, 274, 33, 8);
    label("(QT/DQT)", 152, 272, 33, 8);
    label("到", 225, 104, 9, 8);
    label("MHz", 270, 104, 13, 8);
    programmedList = list("IDC_PROGRAMMED_LIST", 497, 76, 45, 97);
    group("已设置频道", 487, 59, 66, 122);
    bandwidthList = list("IDC_BANDWIDTH", 327, 99, 48, 21);
    label("频道宽/窄", 327, 84, 37, 8);
    group("频道功能", 312, 59, 75, 120);

    // Frames and captions sit under the controls they surround and let clicks through to them.
    for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
        (*it)->setAttribute(Qt::WA_TransparentForMouseEvents);
        (*it)->lower();
    }

    const QWidget* tabOrder[] = {bandLowEdit,  totEdit,        channelList,     rxFreqEdit,
                                 squelchEdit,  rxCodeTypeList, rxCodeTableList, copyRxToTxButton,
                                 txFreqEdit,   txCodeTypeList, txCodeTableList, copyTxToRxButton,
                                 bandHighEdit, programmedList, bandwidthList};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
        setTabOrder(const_cast<QWidget*>(tabOrder[i - 1]), const_cast<QWidget*>(tabOrder[i]));
    }
}

template <typename Handler> void CQarloView::onEditChanged(Handler handler) {
    if (exchange.isRunning()) return;
    (this->*handler)();
}

void CQarloView::connectHandlers() {
    connect(copyRxToTxButton, &QPushButton::clicked, this,
            [this] { onEditChanged(&CQarloView::OnCopyRxToTx); });
    connect(copyTxToRxButton, &QPushButton::clicked, this,
            [this] { onEditChanged(&CQarloView::OnCopyTxToRx); });
    connect(txFreqEdit, &QLineEdit::textEdited, this,
            [this] { onEditChanged(&CQarloView::OnChangeTxFreq); });
    connect(totEdit, &QLineEdit::textEdited, this,
            [this] { onEditChanged(&CQarloView::OnChangeTot); });
    connect(rxFreqEdit, &QLineEdit::textEdited, this,
            [this] { onEditChanged(&CQarloView::OnChangeRxFreq); });
    connect(bandLowEdit, &QLineEdit::textEdited, this,
            [this] { onEditChanged(&CQarloView::OnChangeBandLow); });
    connect(bandHighEdit, &QLineEdit::textEdited, this,
            [this] { onEditChanged(&CQarloView::OnChangeBandHigh); });
    connect(txCodeTypeList, &ListBox::selChange, this,
            [this] { onEditChanged(&CQarloView::OnSelchangeTxCodeType); });
    connect(rxCodeTableList, &ListBox::selChange, this,
            [this] { onEditChanged(&CQarloView::OnSelchangeRxCodeTable); });
    connect(txCodeTableList, &ListBox::selChange, this,
            [this] { onEditChanged(&CQarloView::OnSelchangeTxCodeTable); });
    connect(rxCodeTypeList, &ListBox::selChange, this,
            [this] { onEditChanged(&CQarloView::OnSelchangeRxCodeType); });
    connect(bandwidthList, &ListBox::selChange, this,
            [this] { onEditChanged(&CQarloView::OnSelchangeBandwidth); });
    connect(channelList, &ListBox::selChange, this,
            [this] { onEditChanged(&CQarloView::OnSelchangeChannelList); });
    connect(squelchSpin, &SpinButtonCtrl::deltaPos, this, [this](int delta, int* result) {
        if (exchange.isRunning()) {
            *result = 1; // held back like every other notification
            return;
        }
        OnDeltaposSquelchSpin(delta, result);
    });
    connect(programmedList, &ListBox::selChange, this,
            [this] { onEditChanged(&CQarloView::OnSelchangeProgrammedList); });

    connect(&radioLink, &RadioLink::imageDecoded, this, &CQarloView::OnReadComplete,
            Qt::DirectConnection);
    connect(&radioLink, &RadioLink::transferFinished, this, &CQarloView::OnTransferFinished,
            Qt::DirectConnection);
}

bool CQarloView::UpdateData(bool saveAndValidate) {
    return exchange.UpdateData(saveAndValidate);
}

// ---------------------------------------------------------------------------------------------
// Initial update and display

void CQarloView::OnInitialUpdate() {
    UpdateData(false);

    channelList->ResetContent();
    for (int i = 0; i < CHANNEL_COUNT; ++i)
        channelList->InsertString(i, fromUtf8(ChannelName(i)));
    channelList->SetCurSel(0);

    for (ListBox* types : {txCodeTypeList, rxCodeTypeList}) {
        types->ResetContent();
        for (int row = 0; row < static_cast<int>(CodeTypeTable.size()); ++row) {
            types->InsertString(row, fromUtf8(CodeTypeTable[static_cast<std::size_t>(row)]));
        }
        types->SetCurSel(CODE_TYPE_NONE);
    }

    bandwidthList->ResetContent();
    bandwidthList->InsertString(0, TEXT_WIDE);
    bandwidthList->InsertString(1, TEXT_NARROW);
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
}

void CQarloView::showSignalling(Side side, std::uint8_t flags, std::uint8_t code) {
    const Direction d = side == Side::Transmit ? Direction::Transmit : Direction::Receive;
    ListBox* types = side == Side::Transmit ? txCodeTypeList : rxCodeTypeList;
    ListBox* table = side == Side::Transmit ? txCodeTableList : rxCodeTableList;
    const bool coded = (flags & codedBit(d)) != 0;
    const bool ctcss = (flags & ctcssBit(d)) != 0;

    if (coded && ctcss) {
        types->SetCurSel(CODE_TYPE_QT);
        table->ResetContent();
        for (int row = 0; row < static_cast<int>(CtcssTable.size()); ++row) {
            table->InsertString(row, fromUtf8(CtcssTable[static_cast<std::size_t>(row)]));
        }
        UpdateData(false);
        table->SetCurSel(decodeCtcssByte(code).value_or(-1));
    } else if (coded) {
        types->SetCurSel(CODE_TYPE_DQT);
        table->ResetContent();
        for (int row = 0; row < static_cast<int>(DcsTable.size()); ++row) {
            table->InsertString(row, fromUtf8(DcsTable[static_cast<std::size_t>(row)]));
        }
        const int row = decodeDcsByte(code).value_or(-1);
        UpdateData(false);
        table->SetCurSel(row);
    } else {
        types->SetCurSel(CODE_TYPE_NONE);
        table->ResetContent();
        UpdateData(false);
    }
}

// ---------------------------------------------------------------------------------------------
// Channel lists

void CQarloView::fillProgrammedList() {
    programmedList->ResetContent();
    for (int j = 0; j < CHANNEL_COUNT; ++j) {
        const std::uint8_t entry = document.ProgrammedChannelList[static_cast<std::size_t>(j)];
        if (entry == LIST_END) break;
        programmedList->InsertString(j, fromUtf8(ChannelName(entry)));
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
            for (int k = CHANNEL_COUNT - 1; k > i; --k) {
                list[static_cast<std::size_t>(k)] = list[static_cast<std::size_t>(k - 1)];
            }
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
        for (int m = k; m < CHANNEL_COUNT - 1; ++m) {
            list[static_cast<std::size_t>(m)] = list[static_cast<std::size_t>(m + 1)];
        }
        list[CHANNEL_COUNT - 1] = LIST_END;
        fillProgrammedList();
        programmedList->SetCurSel(-1);
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// Field edits

void CQarloView::storeFrequency(Side side) {
    EditScope scope(*this);
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
    EditScope scope(*this);
    UpdateData(true);
    document.setTotTenths(TotTenthsFromMinutes(totMinutes));
}

void CQarloView::OnChangeBandLow() {
    EditScope scope(*this);
    UpdateData(true);
    document.setBandLow(BandUnitsFromMHz(bandLowMHz)); // held to 24 bits, never wrapped
    UpdateData(false);
}

void CQarloView::OnChangeBandHigh() {
    EditScope scope(*this);
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
    if (text == TEXT_NARROW) flags |= FLAG_NARROW;
    if (text == TEXT_WIDE) flags &= static_cast<std::uint8_t>(~FLAG_NARROW);
    document.setFlags(currentChannel, flags);
}

void CQarloView::OnDeltaposSquelchSpin(int delta, int* result) {
    EditScope scope(*this);
    const long long level = static_cast<long long>(squelchSpin->GetPos()) + delta;
    document.setSquelch(currentChannel, static_cast<std::uint8_t>(std::clamp<long long>(
                                            level, SQUELCH_MIN, SQUELCH_MAX)));
    *result = 0;
}

void CQarloView::OnCopyRxToTx() {
    EditScope scope(*this);
    std::uint8_t* rec = document.record(currentChannel);
    std::copy_n(rec + REC_RX_FREQ, 4, rec + REC_TX_FREQ);
    rec[REC_TX_CODE] = rec[REC_RX_CODE];
    rec[REC_FLAGS] = withSignallingCopied(rec[REC_FLAGS], Direction::Receive);
    ShowChannel(currentChannel);
    UpdateProgrammedList();
}

void CQarloView::OnCopyTxToRx() {
    EditScope scope(*this);
    std::uint8_t* rec = document.record(currentChannel);
    std::copy_n(rec + REC_TX_FREQ, 4, rec + REC_RX_FREQ);
    rec[REC_RX_CODE] = rec[REC_TX_CODE];
    rec[REC_FLAGS] = withSignallingCopied(rec[REC_FLAGS], Direction::Transmit);
    ShowChannel(currentChannel);
    UpdateProgrammedList();
}

// ---------------------------------------------------------------------------------------------
// Code selection

void CQarloView::onCodeTypePicked(Side side) {
    EditScope scope(*this);
    const Direction d = side == Side::Transmit ? Direction::Transmit : Direction::Receive;
    ListBox* types = side == Side::Transmit ? txCodeTypeList : rxCodeTypeList;
    ListBox* table = side == Side::Transmit ? txCodeTableList : rxCodeTableList;
    const int sel = types->GetCurSel();
    if (sel < 0) return;
    const QString text = types->GetText(sel);
    std::uint8_t* flags = document.record(currentChannel) + REC_FLAGS;

    if (text == TEXT_DQT) {
        UpdateData(false);
        table->ResetContent();
        for (int row = 0; row < static_cast<int>(DcsTable.size()); ++row) {
            table->InsertString(row, fromUtf8(DcsTable[static_cast<std::size_t>(row)]));
        }
        *flags = withCodeType(*flags, d, CODE_TYPE_DQT);
    }
    if (text == TEXT_QT) {
        UpdateData(false);
        table->ResetContent();
        for (int row = 0; row < static_cast<int>(CtcssTable.size()); ++row) {
            table->InsertString(row, fromUtf8(CtcssTable[static_cast<std::size_t>(row)]));
        }
        *flags = withCodeType(*flags, d, CODE_TYPE_QT);
    }
    if (text == TEXT_NONE) {
        table->ResetContent();
        UpdateData(false);
        *flags = withCodeType(*flags, d, CODE_TYPE_NONE);
    }
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

// ---------------------------------------------------------------------------------------------
// Transfers

void CQarloView::OnRadioRead() {
    radioLink.OnRadioRead();
    // The image will overwrite the form: anything typed meanwhile would be lost.
    if (radioLink.TransferMode() == RadioLink::MODE_READ) holdForm(true);
}
void CQarloView::OnRadioWrite() {
    radioLink.OnRadioWrite();
}
void CQarloView::OnClose() {
    radioLink.OnClose();
    holdForm(false);
}

void CQarloView::holdForm(bool hold) {
    if (hold == formHeld) return;
    formHeld = hold;
    if (hold) {
        QWidget* focused = QApplication::focusWidget();
        focusBeforeHold = isAncestorOf(focused) ? focused : nullptr;
        setEnabled(false);
        return;
    }
    setEnabled(true);
    // The keyboard comes back where it was, for a user who works without the mouse.
    if (focusBeforeHold && focusBeforeHold->isEnabled()) focusBeforeHold->setFocus();
    focusBeforeHold = nullptr;
}

void CQarloView::OnReadComplete() {
    holdForm(false);
    currentChannel = 0;
    document.selectedChannel = 0;
    channelList->SetCurSel(0);
    ShowChannel(0);
    document.RebuildProgrammedList();
    programmedPos = document.IsChannelProgrammed(0) ? 0 : -1;
    RefillProgrammedList();
    // The link has already marked the document; the frame still needs to hear of it.
    emit documentModified();
}

void CQarloView::OnTransferFinished(const TransferOutcome& outcome) {
    ShowMessage(QString::fromStdString(OutcomeReportText(outcome)));
    if (outcome.kind == TransferOutcome::Kind::CheckFailed)
        OnWriteCheckFailed(outcome.check.channel);
    // A read that failed gives the form back as well.
    holdForm(false);
}

void CQarloView::OnWriteCheckFailed(int channel) {
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

void CQarloView::printSheet(QPrinter* printer, const QString& title) {
    if (!printer) return;
    QPainter painter;
    if (!painter.begin(printer)) return; // the printer refused; it reports that itself
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    PaintChannelSheet(painter, QRect(QPoint(0, 0), page.size()), document, title);
    painter.end();
}

} // namespace qarlo
