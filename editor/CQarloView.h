#pragma once
// The channel editor: form 101 showing one channel of the document and the radio-wide settings.
// Every handler writes the bytes of the current channel's record, or the settings, in place at
// the moment of the change; the view keeps no copy of channel data. Its members live in one file
// per family: ViewForm (controls and layout), ViewDisplay (a channel shown), ViewFieldEdits,
// ViewCodeSelection, ViewChannelLists, ViewTransfers (how a transfer shows in the form) and
// ViewPrinting.
#include "editor/DataExchange.h"
#include "editor/DialogUnits.h"
#include "editor/ListBox.h"
#include "editor/SpinButtonCtrl.h"
#include "memory/CQarloDoc.h"
#include "radio/TransferOutcome.h"

#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;

namespace qarlo {

class MessageSink;

// Control ids of form 101.
inline constexpr int IDD_QARLO_FORM = 101;
inline constexpr int IDC_BANDWIDTH = 1000;
inline constexpr int IDC_PROGRAMMED_LIST = 1002;
inline constexpr int IDC_TX_FREQ = 1007;
inline constexpr int IDC_RX_CODE_TABLE = 1012;
inline constexpr int IDC_TX_CODE_TABLE = 1013;
inline constexpr int IDC_TOT = 1018;
inline constexpr int IDC_SQUELCH = 1019;
inline constexpr int IDC_RX_FREQ = 1020;
inline constexpr int IDC_TX_CODE_TYPE = 1029;
inline constexpr int IDC_RX_CODE_TYPE = 1030;
inline constexpr int IDC_CHANNEL_LIST = 1035;
inline constexpr int IDC_BAND_LOW = 1036;
inline constexpr int IDC_COPY_RX_TO_TX = 1042;
inline constexpr int IDC_COPY_TX_TO_RX = 1043;
inline constexpr int IDC_BAND_HIGH = 1050;
inline constexpr int IDC_SQUELCH_SPIN = 1059;

// An edit that makes a history step of its own.
inline constexpr int NO_MERGE = -1;

// Form size in dialog units.
inline constexpr int FORM_WIDTH_DU = 692;
inline constexpr int FORM_HEIGHT_DU = 444;

class CQarloView : public QWidget {
    Q_OBJECT
public:
    // Messages (a field that is no number, how a transfer ended) go to `messages`.
    CQarloView(CQarloDoc& doc, MessageSink& messages, QWidget* parent = nullptr);
    ~CQarloView() override;

    void OnInitialUpdate();
    bool UpdateData(bool saveAndValidate);
    void ShowChannel(int channel);
    QSize formSizeHint() const;
    QSize sizeHint() const override { return formSizeHint(); }
    // The least height that still shows every control with a dialog's margin below the lowest:
    // what a screen a little too short may take from the form's blank bottom.
    int filledHeight() const;
    // The channel sheet of the whole document; `title` names the document on the page.
    void printSheet(QPrinter* printer, const QString& title = QString());

    // Channel lists.
    // Makes `channel` current in the form and both lists, as a pick in the channel list does.
    void SelectChannel(int channel);
    void OnSelchangeChannelList();
    void OnSelchangeProgrammedList();
    void UpdateProgrammedList();
    void RefillProgrammedList();

    // Field edits.
    void OnChangeTxFreq();
    void OnChangeRxFreq();
    void OnChangeTot();
    void OnChangeBandLow();
    void OnChangeBandHigh();
    void OnSelchangeBandwidth();
    // The spin announces a step before it moves; *result != 0 would stop the move.
    void OnDeltaposSquelchSpin(int delta, int* result);
    void OnCopyRxToTx();
    void OnCopyTxToRx();

    // Code selection.
    void OnSelchangeTxCodeType();
    void OnSelchangeRxCodeType();
    void OnSelchangeTxCodeTable();
    void OnSelchangeRxCodeTable();

    // A transfer as the form shows it; the frame calls these in this order as the link reports.
    // A read under way: the form takes no input until it ends, the focus returns afterwards.
    void OnReadStarted();
    // The image is in the document: channel 0 becomes current in the form and both lists.
    void OnReadComplete();
    // Tells the user how the transfer ended; a failed check then brings its channel into view.
    void OnTransferFinished(const TransferOutcome& outcome);
    // The window is closing: the form is given back.
    void OnClose();

    int currentChannel = 0;
    int programmedPos = -1;

    // Controls, in the order the form binds them.
    ListBox* bandwidthList = nullptr;
    SpinButtonCtrl* squelchSpin = nullptr;
    ListBox* programmedList = nullptr;
    ListBox* channelList = nullptr;
    ListBox* rxCodeTypeList = nullptr;
    ListBox* txCodeTableList = nullptr;
    ListBox* rxCodeTableList = nullptr;
    ListBox* txCodeTypeList = nullptr;
    QLineEdit* txFreqEdit = nullptr;
    QLineEdit* totEdit = nullptr;
    QLineEdit* rxFreqEdit = nullptr;
    QLineEdit* bandLowEdit = nullptr;
    QLineEdit* bandHighEdit = nullptr;
    QLineEdit* squelchEdit = nullptr;
    QPushButton* copyRxToTxButton = nullptr;
    QPushButton* copyTxToRxButton = nullptr;

    double txFreqMHz = 0.0;
    double totMinutes = 5.0;
    double rxFreqMHz = 0.0;
    double bandLowMHz = 0.0;
    double bandHighMHz = 0.0;

signals:
    // A byte of the document changed through the form (already marked modified).
    void documentModified();
    // The same change, for the history: the document as it was before it; `mergeField` the control
    // id of the text field typed into, or NO_MERGE.
    void edited(const qarlo::DocumentState& before, int mergeField);
    // The form now shows `channel` (a pick, an undo, a read, a new document).
    void channelShown(int channel);

private:
    class EditScope;
    enum class Side { Receive, Transmit };

    void createControls();
    void connectHandlers();
    void holdForm(bool hold);
    void showSignalling(Side side, std::uint8_t flags, std::uint8_t code);
    // The rows of `codeType`'s table (none for no code), nothing selected.
    void fillCodeTable(ListBox* table, int codeType);
    void onCodeTypePicked(Side side);
    void onCodeTablePicked(Side side);
    void storeFrequency(Side side);
    // The copy buttons: frequency, code byte and signalling bits of `from` onto the other side.
    void copySide(Side from);
    void fillProgrammedList();
    bool validChannel(int channel) const { return channel >= 0 && channel < CHANNEL_COUNT; }
    // Runs an edit handler unless a data exchange is writing the edits.
    template <typename Handler> void onEditChanged(Handler handler);

    CQarloDoc& document;
    MessageSink& messages;
    DataExchange exchange;
    DialogUnits units;
    bool formHeld = false;
    QPointer<QWidget> focusBeforeHold;
};

} // namespace qarlo
