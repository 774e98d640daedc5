// Form 101: its controls from one table of rectangles in dialog units, the tab order, and which
// handler each control's notification reaches.
#include "editor/CQarloView.h"
#include "editor/FormLook.h"
#include "editor/UiText.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionButton>
#include <qdrawutil.h>

#include <algorithm>
#include <type_traits>
#include <utility>
#include <vector>

namespace qarlo {

namespace {

// A push button whose caption is drawn in lines inside the button, as the form's narrow copy
// buttons need; text() stays the caption exactly. A line wider than the button is narrowed.
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
        const QStringList lines = CaptionLines(text());
        const QFontMetrics metrics(font());
        const QRect room = rect().adjusted(1, 2, -1, -2);
        int top = room.center().y() - static_cast<int>(lines.size()) * metrics.height() / 2;
        for (const QString& line : lines) {
            const int width = metrics.horizontalAdvance(line);
            painter.save();
            painter.translate(room.center().x(), top);
            if (width > room.width()) painter.scale(double(room.width()) / width, 1.0);
            painter.drawText(QRect(-width / 2 - 1, 0, width + 2, metrics.height()), Qt::AlignCenter,
                             line);
            painter.restore();
            top += metrics.height();
        }
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

enum class Kind { Edit, List, Spin, Button, Label, Group };
using Store = void (*)(CQarloView&, QWidget*);

// Keeps a made control in the view's member for it.
template <auto Member> void Keep(CQarloView& view, QWidget* control) {
    using Pointer = std::remove_reference_t<decltype(view.*Member)>;
    view.*Member = static_cast<Pointer>(control);
}

struct Control {
    Kind kind;
    const char* name; // the control id's name; none for labels and groups
    const char* text; // the caption of a button, label or group
    int x, y, cx, cy;
    Store store;
    const char* spoken; // a control's accessible name: its label with its group and unit
    const char* tip;    // a control's tooltip: what it holds and its range
    const char* buddy;  // a label's control, by its id's name
};

constexpr const char* CODE_TYPES_TIP = "编码类型：QT（亚音频）、DQT（数字亚音）或无";
constexpr const char* CODE_TABLE_TIP = "编码：QT为频率（Hz），DQT为三位八进制码，N正向、I反向";
constexpr const char* FREQ_TIP =
    "频率（MHz）：在频段内，6.25KHz或5KHz的整数倍，收发相差不超过10MHz";

// Template order of form 101, which is also the order they are stacked in.
const Control FormControls[] = {
    {Kind::Edit, "IDC_BAND_LOW", "", 190, 99, 30, 16, &Keep<&CQarloView::bandLowEdit>,
     "频段下限 MHz", "频段下限（MHz）：100－480，整数", nullptr},
    {Kind::Edit, "IDC_TOT", "", 190, 139, 30, 16, &Keep<&CQarloView::totEdit>, "TOT限时 分",
     "发射限时（分）：0.1－10", nullptr},
    {Kind::List, "IDC_CHANNEL_LIST", "", 417, 74, 45, 97, &Keep<&CQarloView::channelList>,
     "频道选择", "要编辑的频道：01－16", nullptr},
    {Kind::Edit, "IDC_RX_FREQ", "", 202, 224, 50, 16, &Keep<&CQarloView::rxFreqEdit>,
     "接收 频率 MHz", FREQ_TIP, nullptr},
    {Kind::Edit, "IDC_SQUELCH", "", 327, 149, 32, 17, &Keep<&CQarloView::squelchEdit>, "静噪等级",
     "静噪等级：0－9，用上下键或右边的箭头调整", nullptr},
    {Kind::Spin, "IDC_SQUELCH_SPIN", "", 351, 151, 12, 11, &Keep<&CQarloView::squelchSpin>,
     "静噪等级", "静噪等级：0－9", nullptr},
    {Kind::List, "IDC_RX_CODE_TYPE", "", 200, 259, 36, 29, &Keep<&CQarloView::rxCodeTypeList>,
     "接收 编码类型", CODE_TYPES_TIP, nullptr},
    {Kind::List, "IDC_RX_CODE_TABLE", "", 253, 259, 46, 110, &Keep<&CQarloView::rxCodeTableList>,
     "接收 编码表", CODE_TABLE_TIP, nullptr},
    {Kind::Button, "IDC_COPY_RX_TO_TX", "复制到==>", 337, 224, 22, 56,
     &Keep<&CQarloView::copyRxToTxButton>, "接收设置复制到发射", "把接收频率和编码复制到发射",
     nullptr},
    {Kind::Edit, "IDC_TX_FREQ", "", 442, 224, 50, 16, &Keep<&CQarloView::txFreqEdit>,
     "发射 频率 MHz", FREQ_TIP, nullptr},
    {Kind::List, "IDC_TX_CODE_TYPE", "", 442, 259, 35, 31, &Keep<&CQarloView::txCodeTypeList>,
     "发射 编码类型", CODE_TYPES_TIP, nullptr},
    {Kind::List, "IDC_TX_CODE_TABLE", "", 493, 259, 45, 110, &Keep<&CQarloView::txCodeTableList>,
     "发射 编码表", CODE_TABLE_TIP, nullptr},
    {Kind::Button, "IDC_COPY_TX_TO_RX", "复制到<==", 337, 309, 22, 56,
     &Keep<&CQarloView::copyTxToRxButton>, "发射设置复制到接收", "把发射频率和编码复制到接收",
     nullptr},
    {Kind::Group, nullptr, "发射", 383, 204, 170, 180, nullptr, nullptr, nullptr, nullptr},
    {Kind::Group, nullptr, "接收", 137, 204, 175, 180, nullptr, nullptr, nullptr, nullptr},
    {Kind::Label, nullptr, "编码表", 272, 244, 25, 11, nullptr, nullptr, nullptr,
     "IDC_RX_CODE_TABLE"},
    {Kind::Label, nullptr, "级", 371, 155, 11, 11, nullptr, nullptr, nullptr, "IDC_SQUELCH"},
    {Kind::Label, nullptr, "编码表", 512, 244, 25, 11, nullptr, nullptr, nullptr,
     "IDC_TX_CODE_TABLE"},
    {Kind::Label, nullptr, "分", 230, 144, 11, 11, nullptr, nullptr, nullptr, "IDC_TOT"},
    {Kind::Group, nullptr, "频道选择", 407, 59, 65, 122, nullptr, nullptr, nullptr, nullptr},
    {Kind::Group, nullptr, "整机设置", 137, 59, 158, 120, nullptr, nullptr, nullptr, nullptr},
    {Kind::Label, nullptr, "MHz", 497, 229, 13, 11, nullptr, nullptr, nullptr, "IDC_TX_FREQ"},
    {Kind::Label, nullptr, "MHz", 257, 229, 13, 11, nullptr, nullptr, nullptr, "IDC_RX_FREQ"},
    {Kind::Edit, "IDC_BAND_HIGH", "", 235, 99, 30, 16, &Keep<&CQarloView::bandHighEdit>,
     "频段上限 MHz", "频段上限（MHz）：100－480，整数，比下限高10－40", nullptr},
    {Kind::Label, nullptr, "频    率", 153, 229, 33, 11, nullptr, nullptr, nullptr, "IDC_RX_FREQ"},
    {Kind::Label, nullptr, "静噪等级", 327, 134, 44, 11, nullptr, nullptr, nullptr, "IDC_SQUELCH"},
    {Kind::Label, nullptr, "频   率", 399, 229, 33, 11, nullptr, nullptr, nullptr, "IDC_TX_FREQ"},
    {Kind::Label, nullptr, "TOT限时", 150, 144, 29, 8, nullptr, nullptr, nullptr, "IDC_TOT"},
    {Kind::Label, nullptr, "频  段", 150, 104, 25, 8, nullptr, nullptr, nullptr, "IDC_BAND_LOW"},
    {Kind::Label, nullptr, "编码类型", 402, 264, 33, 8, nullptr, nullptr, nullptr,
     "IDC_TX_CODE_TYPE"},
    {Kind::Label, nullptr, "编码类型", 152, 262, 33, 8, nullptr, nullptr, nullptr,
     "IDC_RX_CODE_TYPE"},
    {Kind::Label, nullptr, "(QT/DQT)", 402, 274, 33, 8, nullptr, nullptr, nullptr,
     "IDC_TX_CODE_TYPE"},
    {Kind::Label, nullptr, "(QT/DQT)", 152, 272, 33, 8, nullptr, nullptr, nullptr,
     "IDC_RX_CODE_TYPE"},
    {Kind::Label, nullptr, "到", 225, 104, 9, 8, nullptr, nullptr, nullptr, "IDC_BAND_HIGH"},
    {Kind::Label, nullptr, "MHz", 270, 104, 13, 8, nullptr, nullptr, nullptr, "IDC_BAND_HIGH"},
    {Kind::List, "IDC_PROGRAMMED_LIST", "", 497, 76, 45, 97, &Keep<&CQarloView::programmedList>,
     "已设置频道", "已设置的频道：选中一个即编辑它", nullptr},
    {Kind::Group, nullptr, "已设置频道", 487, 59, 66, 122, nullptr, nullptr, nullptr, nullptr},
    {Kind::List, "IDC_BANDWIDTH", "", 327, 99, 48, 21, &Keep<&CQarloView::bandwidthList>,
     "频道宽/窄", "频道带宽：25KHz（宽）或12.5KHz（窄）", nullptr},
    {Kind::Label, nullptr, "频道宽/窄", 327, 84, 37, 8, nullptr, nullptr, nullptr, "IDC_BANDWIDTH"},
    {Kind::Group, nullptr, "频道功能", 312, 59, 75, 120, nullptr, nullptr, nullptr, nullptr},
};

QWidget* MakeControl(Kind kind, const QString& text, QWidget* parent) {
    switch (kind) {
    case Kind::Edit:
        return new QLineEdit(parent);
    case Kind::List:
        return new ListBox(parent);
    case Kind::Spin:
        return new SpinButtonCtrl(parent);
    case Kind::Button:
        return new MultiLineButton(text, parent);
    case Kind::Label: {
        auto* label = new QLabel(text, parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case Kind::Group:
        break;
    }
    auto* group = new CaptionedFrame(text, parent);
    group->setAlignment(Qt::AlignHCenter);
    group->setFocusPolicy(Qt::NoFocus);
    return group;
}

} // namespace

CQarloView::CQarloView(CQarloDoc& doc, MessageSink& messageSink, QWidget* parent)
    : QWidget(parent), document(doc), messages(messageSink), exchange(messageSink),
      units(FormFont()) {
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

int CQarloView::filledHeight() const {
    constexpr int MARGIN_DU = 7;
    return std::min(formSizeHint().height(), childrenRect().bottom() + 1 + units.y(MARGIN_DU));
}

void CQarloView::createControls() {
    std::vector<QWidget*> frames; // labels and group boxes: drawn beneath, never take the mouse
    std::vector<std::pair<QLabel*, const char*>> labelled;
    for (const Control& c : FormControls) {
        QWidget* made = MakeControl(c.kind, UiText(c.text), this);
        if (c.name) made->setObjectName(QString::fromLatin1(c.name));
        made->setGeometry(units.rect(c.x, c.y, c.cx, c.cy));
        if (c.store) c.store(*this, made);
        if (c.spoken) made->setAccessibleName(UiText(c.spoken));
        if (c.tip) made->setToolTip(UiText(c.tip));
        if (c.buddy) labelled.emplace_back(static_cast<QLabel*>(made), c.buddy);
        if (c.kind == Kind::Label || c.kind == Kind::Group) frames.push_back(made);
    }
    // Every label names its control to a screen reader, also where one control has several.
    for (const auto& [label, buddy] : labelled)
        label->setBuddy(findChild<QWidget*>(QString::fromLatin1(buddy)));
    squelchEdit->setReadOnly(true);
    squelchSpin->SetBuddy(squelchEdit, SpinButtonCtrl::Align::Right);

    // Frames and captions sit under the controls they surround and let clicks through to them.
    for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
        (*it)->setAttribute(Qt::WA_TransparentForMouseEvents);
        (*it)->lower();
    }

    QWidget* const tabOrder[] = {bandLowEdit,  totEdit,        channelList,     rxFreqEdit,
                                 squelchEdit,  rxCodeTypeList, rxCodeTableList, copyRxToTxButton,
                                 txFreqEdit,   txCodeTypeList, txCodeTableList, copyTxToRxButton,
                                 bandHighEdit, programmedList, bandwidthList};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

template <typename Handler> void CQarloView::onEditChanged(Handler handler) {
    if (exchange.isRunning()) return;
    (this->*handler)();
}

void CQarloView::connectHandlers() {
    using Handler = void (CQarloView::*)();
    const std::pair<QLineEdit*, Handler> edits[] = {
        {txFreqEdit, &CQarloView::OnChangeTxFreq},     {totEdit, &CQarloView::OnChangeTot},
        {rxFreqEdit, &CQarloView::OnChangeRxFreq},     {bandLowEdit, &CQarloView::OnChangeBandLow},
        {bandHighEdit, &CQarloView::OnChangeBandHigh},
    };
    for (const auto& [edit, handler] : edits)
        connect(edit, &QLineEdit::textEdited, this, [this, h = handler] { onEditChanged(h); });
    const std::pair<ListBox*, Handler> lists[] = {
        {txCodeTypeList, &CQarloView::OnSelchangeTxCodeType},
        {rxCodeTableList, &CQarloView::OnSelchangeRxCodeTable},
        {txCodeTableList, &CQarloView::OnSelchangeTxCodeTable},
        {rxCodeTypeList, &CQarloView::OnSelchangeRxCodeType},
        {bandwidthList, &CQarloView::OnSelchangeBandwidth},
        {channelList, &CQarloView::OnSelchangeChannelList},
        {programmedList, &CQarloView::OnSelchangeProgrammedList},
    };
    for (const auto& [list, handler] : lists)
        connect(list, &ListBox::selChange, this, [this, h = handler] { onEditChanged(h); });
    const std::pair<QPushButton*, Handler> buttons[] = {
        {copyRxToTxButton, &CQarloView::OnCopyRxToTx},
        {copyTxToRxButton, &CQarloView::OnCopyTxToRx},
    };
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, [this, h = handler] { onEditChanged(h); });
    connect(squelchSpin, &SpinButtonCtrl::deltaPos, this, [this](int delta, int* result) {
        if (exchange.isRunning()) {
            *result = 1; // held back like every other notification
            return;
        }
        OnDeltaposSquelchSpin(delta, result);
    });
}

bool CQarloView::UpdateData(bool saveAndValidate) {
    return exchange.UpdateData(saveAndValidate);
}

} // namespace qarlo
