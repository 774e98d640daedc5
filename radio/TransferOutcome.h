#pragma once
// How a transfer with the radio ended, as one value, and the fixed text the user is shown for
// it. Standard C++ only: the window, qarlo-cli and qarlo-radio-sim read the same table.
#include "memory/Diff.h"
#include "platform/PortHolders.h"
#include "radio/RadioImage.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qarlo {

// The steps of a transfer that open the port.
enum class TransferStep { Handshake, ImageRequest, Image };

// What stood between the user and the device when the port would not open.
struct OpenFailure {
    enum class Why { NoSuchDevice, HeldBy, Permission, NotSerialDevice, Other };
    Why why = Why::Other;
    std::string device;               // the path opened, COM1/COM2 already resolved
    std::optional<PortHolder> holder; // HeldBy: the program, when it could be found
    // Permission: the group whose members may use the device, when joining it would help;
    // otherwise the owner who alone may (uid 0: root).
    std::string group;
    unsigned ownerUid = 0;
    std::string ownerName; // empty when the uid has no name
    std::string detail;    // Other: the system's or Qt's own words
};

// "/dev/ttyUSB0: held by ModemManager (pid 812)": the line qarlo-cli prints under the message.
std::string OpenFailureReason(const OpenFailure& failure);
// A text kept apart from its parts: a fixed Chinese pattern with %1, %2 ... and what fills them,
// so that the window can translate the pattern before it fills it in.
struct ComposedText {
    std::string_view pattern;
    std::vector<std::string> parts;
};
// The pattern with each %N replaced by parts[N-1] in one pass: a "%2" inside a part stays.
std::string FillParts(const ComposedText& text);

// The reason in the window's words: "/dev/ttyUSB0: 被 ModemManager (进程 812) 占用".
ComposedText OpenFailureReasonParts(const OpenFailure& failure);
std::string OpenFailureReasonChinese(const OpenFailure& failure);

struct TransferOutcome {
    enum class Kind {
        ReadDone,        // the radio's whole image is in the document
        WriteDone,       // the image went out and the device stayed until the end
        OpenFailed,      // `step` could not open the port, for the reason in `open`
        NoHandshake,     // no reply to the handshake, or one that does not start FF 11
        IncompleteImage, // fewer than 256 bytes arrived, or the device went away meanwhile
        ImageNotTaken,   // the image was not handed to the device in full
        CheckFailed,     // `check` stopped the write before the port was opened
        CompareDone,     // the radio's whole image arrived; `differences` from the document
    };
    Kind kind = Kind::ReadDone;
    TransferStep step = TransferStep::Handshake;
    OpenFailure open;
    CheckFailure check{};
    RadioImage radioImage{};             // CompareDone: what the radio holds
    std::vector<Difference> differences; // CompareDone: document -> radio; empty when equal

    static TransferOutcome Of(Kind kind);
    static TransferOutcome OpenFailedAt(TransferStep step, OpenFailure why);
    static TransferOutcome CheckFailedAt(const CheckFailure& failure);
    static TransferOutcome ComparedWith(const CQarloDoc& doc, const RadioImage& radio);
    bool succeeded() const {
        return kind == Kind::ReadDone || kind == Kind::WriteDone || kind == Kind::CompareDone;
    }
};

// The fixed text shown when a transfer ends this way; for a failed check, the check's text.
std::string_view OutcomeMessage(const TransferOutcome& outcome);
std::string_view CheckMessage(const CheckFailure& failure);

// What a running transfer is doing, for the window's message pane and qarlo-cli's terminal:
// "正在从对讲机读出… 128/256"; the step's words alone: "正在从对讲机读出…".
std::string ProgressText(TransferStep step, int bytes, int total);
std::string_view ProgressStepText(TransferStep step);

} // namespace qarlo
