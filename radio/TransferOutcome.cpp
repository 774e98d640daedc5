#include "TransferOutcome.h"

#include <utility>

namespace qarlo {

namespace {

using Kind = TransferOutcome::Kind;

constexpr std::string_view CHECK_CONNECTION = "请检查COM口至对讲机的连接及其设置";
constexpr std::string_view BAND_STEP = "频段值必须以1MHz递增"; // checks 3 and 5

struct OutcomeText {
    Kind kind;
    int detail; // OpenFailed: the step; CheckFailed: the check's number; otherwise 0
    std::string_view text;
};

constexpr int stepKey(TransferStep step) {
    return static_cast<int>(step);
}

constexpr OutcomeText OutcomeTexts[] = {
    {Kind::ReadDone, 0, "数据已从对讲机中读出"},
    {Kind::WriteDone, 0, "数据已写入对讲机"},
    {Kind::OpenFailed, stepKey(TransferStep::Handshake), "建立通信失败"},
    {Kind::OpenFailed, stepKey(TransferStep::ImageRequest), "创建通信失败"},
    {Kind::OpenFailed, stepKey(TransferStep::Image), "建立通信文件失败"},
    {Kind::NoHandshake, 0, CHECK_CONNECTION},
    {Kind::IncompleteImage, 0, CHECK_CONNECTION},
    {Kind::ImageNotTaken, 0, CHECK_CONNECTION},
    {Kind::CompareDone, 0, "对讲机中的数据与当前文档相同"},
    {Kind::CompareDone, 1, "对讲机中的数据与当前文档不同"},
    {Kind::CheckFailed, 1, "接收频率与发射频率的差值必须小于等于10MHz"},
    {Kind::CheckFailed, 2, "频段值必须在100MHz－480MHz内"},
    {Kind::CheckFailed, 3, BAND_STEP},
    {Kind::CheckFailed, 4, "频段范围必须在10MHz－40MHz内"},
    {Kind::CheckFailed, 5, BAND_STEP},
    {Kind::CheckFailed, 6, "接收频率值超出频段范围"},
    {Kind::CheckFailed, 7, "发射频率值超出频段范围"},
    {Kind::CheckFailed, 8, "接收频率值必须是6.25KHz或5KHz的整数倍"},
    {Kind::CheckFailed, 9, "发射频率值必须是6.25KHz或5KHz的整数倍"},
    {Kind::CheckFailed, 10, "发射限时必须大于等于0.1，小于等于10"},
};

int detailOf(const TransferOutcome& outcome) {
    switch (outcome.kind) {
    case Kind::OpenFailed:
        return stepKey(outcome.step);
    case Kind::CheckFailed:
        return outcome.check.check;
    case Kind::CompareDone:
        return outcome.differences.empty() ? 0 : 1;
    default:
        return 0;
    }
}

std::string whoMayUse(const OpenFailure& failure) {
    if (!failure.group.empty()) {
        return "members of the group \"" + failure.group + "\" may use it (sudo usermod -aG " +
               failure.group + " $USER, then log in again)";
    }
    if (failure.ownerUid == 0) return "only root may use it";
    const std::string owner =
        failure.ownerName.empty() ? std::to_string(failure.ownerUid) : failure.ownerName;
    return "only its owner " + owner + " may use it";
}

} // namespace

TransferOutcome TransferOutcome::Of(Kind kind) {
    TransferOutcome outcome;
    outcome.kind = kind;
    return outcome;
}

TransferOutcome TransferOutcome::OpenFailedAt(TransferStep step, OpenFailure why) {
    TransferOutcome outcome = Of(Kind::OpenFailed);
    outcome.step = step;
    outcome.open = std::move(why);
    return outcome;
}

TransferOutcome TransferOutcome::CheckFailedAt(const CheckFailure& failure) {
    TransferOutcome outcome = Of(Kind::CheckFailed);
    outcome.check = failure;
    return outcome;
}

TransferOutcome TransferOutcome::ComparedWith(const CQarloDoc& doc, const RadioImage& radio) {
    TransferOutcome outcome = Of(Kind::CompareDone);
    outcome.radioImage = radio;
    outcome.differences = CompareWithRadio(doc, radio);
    return outcome;
}

std::string_view OutcomeMessage(const TransferOutcome& outcome) {
    const int detail = detailOf(outcome);
    for (const OutcomeText& row : OutcomeTexts) {
        if (row.kind == outcome.kind && row.detail == detail) return row.text;
    }
    return {}; // a check number no check has
}

std::string_view CheckMessage(const CheckFailure& failure) {
    return OutcomeMessage(TransferOutcome::CheckFailedAt(failure));
}

std::string_view ProgressStepText(TransferStep step) {
    constexpr std::string_view doing[] = {"正在连接对讲机…", "正在从对讲机读出…",
                                          "正在写入对讲机…"};
    const auto index = static_cast<std::size_t>(step);
    return index < std::size(doing) ? doing[index] : doing[0];
}

std::string ProgressText(TransferStep step, int bytes, int total) {
    return std::string(ProgressStepText(step)) + " " + std::to_string(bytes) + "/" +
           std::to_string(total);
}

std::string OpenFailureReason(const OpenFailure& failure) {
    const std::string& device = failure.device;
    switch (failure.why) {
    case OpenFailure::Why::NoSuchDevice:
        return device + ": no such device";
    case OpenFailure::Why::HeldBy:
        return device + ": " +
               (failure.holder ? DescribeHolder(*failure.holder) : "held by another program");
    case OpenFailure::Why::Permission:
        return device + ": permission denied; " + whoMayUse(failure);
    case OpenFailure::Why::NotSerialDevice:
        return device + ": not a serial device";
    case OpenFailure::Why::Other:
        break;
    }
    return device + ": " + failure.detail;
}

std::string FillParts(const ComposedText& text) {
    std::string out;
    const std::string_view pattern = text.pattern;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const std::string_view rest = pattern.substr(i + 1); // empty after the last character
        const char next = rest.empty() ? '\0' : rest.front();
        const auto index = static_cast<std::size_t>(next - '1');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && index < text.parts.size()) {
            out += text.parts[index];
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

ComposedText OpenFailureReasonParts(const OpenFailure& failure) {
    const std::string& device = failure.device;
    switch (failure.why) {
    case OpenFailure::Why::NoSuchDevice:
        return {"%1: 设备不存在", {device}};
    case OpenFailure::Why::HeldBy:
        if (!failure.holder) return {"%1: 被另一个程序占用", {device}};
        if (failure.holder->command.empty())
            return {"%1: 被 另一个程序 (进程 %2) 占用",
                    {device, std::to_string(failure.holder->pid)}};
        return {"%1: 被 %2 (进程 %3) 占用",
                {device, failure.holder->command, std::to_string(failure.holder->pid)}};
    case OpenFailure::Why::Permission:
        if (!failure.group.empty())
            return {"%1: 没有使用权限；只有 %2 组的成员可以使用（sudo usermod -aG %2 "
                    "$USER，然后重新登录）",
                    {device, failure.group}};
        if (failure.ownerUid == 0) return {"%1: 没有使用权限；只有 root 可以使用", {device}};
        return {"%1: 没有使用权限；只有其所有者 %2 可以使用",
                {device,
                 failure.ownerName.empty() ? std::to_string(failure.ownerUid) : failure.ownerName}};
    case OpenFailure::Why::NotSerialDevice:
        return {"%1: 不是串口设备", {device}};
    case OpenFailure::Why::Other:
        break;
    }
    return {"%1: %2", {device, failure.detail}}; // the system's own words
}

std::string OpenFailureReasonChinese(const OpenFailure& failure) {
    return FillParts(OpenFailureReasonParts(failure));
}

} // namespace qarlo
