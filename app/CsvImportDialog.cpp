#include "app/CsvImportDialog.h"

#include "app/CsvMessages.h"
#include "editor/UiText.h"
#include "memory/Signalling.h"
#include "memory/Units.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace qarlo {

namespace {

// Every text of the dialog, in one place.
struct DialogTexts {
    const char* title = "导入CSV";
    std::array<const char*, 8> columns{"导入",     "位置",     "接收频率", "发射频率",
                                       "接收信令", "发射信令", "带宽",     "导入为"};
    const char* table = "CSV文件中的行";
    const char* byLocation = "按位置放入对应频道(&L)";
    const char* inOrder = "依次放入，从频道(&F)";
    const char* firstChannel = "起始频道";
    const char* band = "频段";
    const char* noRow = "没有选中的行";
    const char* ok = "确定";
    const char* cancel = "取消";
    const char* dash = "－";
};
constexpr DialogTexts Texts;

enum Column {
    COL_TICK,
    COL_LOCATION,
    COL_RX,
    COL_TX,
    COL_RX_CODE,
    COL_TX_CODE,
    COL_MODE,
    COL_BECOMES
};

QString text(const char* chinese) {
    return UiText(chinese);
}

QString sideText(const CsvSide& side, Direction d) {
    const std::uint8_t flags = withCodeType(0, d, side.type);
    return QString::fromStdString(signallingText(flags, side.byte, d));
}

// What the row becomes: its channel, with what it carries that cannot be written; or why not.
QString becomes(const CsvPlanRow& row) {
    const CsvError* problem = row.problems.empty() ? nullptr : &row.problems.front();
    if (row.channel < 0) {
        const bool ownReason = problem != nullptr && row.leftOut == problem->reason;
        return CsvReasonText(row.leftOut, ownReason ? problem->cell : std::string());
    }
    QString into = QString::fromUtf8(ChannelName(row.channel).data());
    if (problem != nullptr)
        into += QStringLiteral("（%1）").arg(CsvReasonText(problem->reason, problem->cell));
    return into;
}

QTableWidgetItem* cell(const QString& shown) {
    auto* item = new QTableWidgetItem(shown);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

CsvImportDialog::CsvImportDialog(CsvImportPlan plan, const CQarloDoc& doc, QWidget* parent)
    : QDialog(parent), importPlan(std::move(plan)), document(doc) {
    setWindowTitle(text(Texts.title));
    setModal(true);
    rowTable = new QTableWidget(static_cast<int>(importPlan.rows.size()),
                                static_cast<int>(Texts.columns.size()), this);
    QStringList headers;
    for (const char* column : Texts.columns)
        headers << text(column);
    rowTable->setHorizontalHeaderLabels(headers);
    rowTable->verticalHeader()->hide();
    rowTable->setAccessibleName(text(Texts.table));
    rowTable->setTabKeyNavigation(false);
    byLocation = new QRadioButton(text(Texts.byLocation), this);
    inOrder = new QRadioButton(text(Texts.inOrder), this);
    firstChannel = new QSpinBox(this);
    firstChannel->setRange(1, CHANNEL_COUNT);
    firstChannel->setAccessibleName(text(Texts.firstChannel));
    bandLabel = new QLabel(this);
    bandLabel->setAccessibleName(text(Texts.band));
    bandLabel->setTextFormat(Qt::PlainText);
    okButton = new QPushButton(text(Texts.ok), this);
    okButton->setDefault(true);
    cancelButton = new QPushButton(text(Texts.cancel), this);
    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(byLocation), static_cast<QAbstractButton*>(inOrder),
          static_cast<QAbstractButton*>(okButton), static_cast<QAbstractButton*>(cancelButton)})
        b->setAccessibleName(b->text().remove(QLatin1Char('&')));

    auto* destination = new QHBoxLayout;
    destination->addWidget(byLocation);
    destination->addWidget(inOrder);
    destination->addWidget(firstChannel);
    destination->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bandLabel, 1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rowTable);
    layout->addLayout(destination);
    layout->addLayout(buttons);

    fillRows();
    tickFirstUsable();
    connect(rowTable, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == COL_TICK) choose();
    });
    connect(byLocation, &QRadioButton::toggled, this, [this] { choose(); });
    connect(firstChannel, &QSpinBox::valueChanged, this, [this] {
        if (inOrder->isChecked()) choose();
    });
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    rowTable->resizeColumnsToContents();
    resize(std::min(rowTable->horizontalHeader()->length() + 60, 1000), 480);
}

void CsvImportDialog::fillRows() {
    const QString none = text(Texts.dash);
    for (int r = 0; r < rowTable->rowCount(); ++r) {
        const CsvPlanRow& row = importPlan.rows[static_cast<std::size_t>(r)];
        auto* tick = cell(QString());
        // A row the radio cannot store has no tick to give.
        if (row.usable()) tick->setFlags(tick->flags() | Qt::ItemIsUserCheckable);
        tick->setCheckState(Qt::Unchecked);
        rowTable->setItem(r, COL_TICK, tick);
        rowTable->setItem(r, COL_LOCATION,
                          cell(row.location ? QString::number(*row.location) : none));
        const auto& v = row.values;
        rowTable->setItem(r, COL_RX, cell(v ? QString::fromStdString(FormatMHz(v->rx)) : none));
        rowTable->setItem(r, COL_TX, cell(v ? QString::fromStdString(FormatMHz(v->tx)) : none));
        rowTable->setItem(r, COL_RX_CODE,
                          cell(v ? sideText(v->receive, Direction::Receive) : none));
        rowTable->setItem(r, COL_TX_CODE,
                          cell(v ? sideText(v->transmit, Direction::Transmit) : none));
        rowTable->setItem(r, COL_MODE,
                          cell(v ? QString::fromLatin1(v->narrow ? "12.5KHz" : "25KHz") : none));
        rowTable->setItem(r, COL_BECOMES, cell(QString()));
    }
}

// The first 16 usable rows, by Location when they fit there, else in file order from channel 1.
void CsvImportDialog::tickFirstUsable() {
    const QSignalBlocker blockTable(rowTable);
    int ticked = 0;
    for (int r = 0; r < rowTable->rowCount(); ++r) {
        if (!importPlan.rows[static_cast<std::size_t>(r)].usable()) continue;
        rowTable->item(r, COL_TICK)
            ->setCheckState(ticked++ < CHANNEL_COUNT ? Qt::Checked : Qt::Unchecked);
    }
    byLocation->setChecked(true);
    choose();
    const bool fits =
        std::none_of(importPlan.rows.begin(), importPlan.rows.end(), [](const auto& row) {
            return row.channel < 0 && (row.leftOut == CsvReason::PastLastChannel ||
                                       row.leftOut == CsvReason::LocationTaken);
        });
    if (!fits) inOrder->setChecked(true); // chooses again through its toggle
}

void CsvImportDialog::choose() {
    CsvImportOptions options;
    options.skipUnusable = true;
    options.renumberFrom = inOrder->isChecked() ? firstChannel->value() : 0;
    for (int r = 0; r < rowTable->rowCount(); ++r) {
        // A row without a tick keeps its own reason for being left out.
        const CsvPlanRow& row = importPlan.rows[static_cast<std::size_t>(r)];
        if (row.usable() && rowTable->item(r, COL_TICK)->checkState() != Qt::Checked)
            options.unticked.push_back(row.line);
    }
    ChooseCsvRows(importPlan, options);
    CQarloDoc scratch = document;
    previewResult = ApplyCsvImport(scratch, importPlan);
    showChoice();
}

void CsvImportDialog::showChoice() {
    const QSignalBlocker blockTable(rowTable);
    for (int r = 0; r < rowTable->rowCount(); ++r)
        rowTable->item(r, COL_BECOMES)
            ->setText(becomes(importPlan.rows[static_cast<std::size_t>(r)]));
    const bool any = previewResult.ok() && !previewResult.channelsSet.empty();
    bandLabel->setText(any ? DescribeCsvBand(previewResult.band) : text(Texts.noRow));
    okButton->setEnabled(any);
    firstChannel->setEnabled(inOrder->isChecked());
}

} // namespace qarlo
