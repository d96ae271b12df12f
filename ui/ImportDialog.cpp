#include "ui/ImportDialog.h"

#include "import/ParseVerdex.h"
#include "ui/Bindings.h"
#include "ui/Command.h"
#include "ui/GridView.h"
#include "ui/QtPlatform.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace calvane::ui {

namespace {

// A number field under its heading: the heading on top, "Row:" or "Col:" beside the field.
QWidget* numberBox(Label& heading, Label& prefix, QLineEdit* edit)
{
    auto* box = new QWidget;
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(0, 0, 12, 0);
    auto* headingLabel = new QLabel;
    auto* prefixLabel = new QLabel;
    bindLabel(heading, headingLabel);
    bindLabel(prefix, prefixLabel);
    edit->setMaximumWidth(70);
    layout->addWidget(headingLabel, 0, 0, 1, 2);
    layout->addWidget(prefixLabel, 1, 0);
    layout->addWidget(edit, 1, 1);
    return box;
}

// The curve: its column under the heading, and beside it the value to import.
QWidget* curveBox(TFrmParseVerdex& state, QLineEdit* column, QComboBox* value)
{
    QWidget* box = numberBox(state.LblCurve, state.LblColCurve, column);
    auto* layout = static_cast<QGridLayout*>(box->layout());
    auto* valueLabel = new QLabel;
    bindLabel(state.LblCurveValue, valueLabel);
    value->setMinimumWidth(110);
    value->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    layout->addWidget(valueLabel, 1, 2);
    layout->addWidget(value, 1, 3);
    return box;
}

}  // namespace

ImportDialog::ImportDialog(TFrmParseVerdex& state, QtPlatform& platform, QWidget* parent)
    : QDialog(parent), state_(state), platform_(platform)
{
    setWindowTitle(QString::fromStdString(state.caption));
    setModal(true);
    resize(820, 600);

    auto* fileLabel = new QLabel;
    bindLabel(state.Label1, fileLabel);
    fileName_ = new QLineEdit;
    bindTextField(platform, state.EdtVerdexFileName, fileName_);
    auto* browse = new QPushButton;
    bindLabel(state.BtnBrowse, browse);
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, [this] { run([this] { state_.BtnBrowseClick(); }); });
    auto* status = new QLineEdit;
    status->setFrame(false);
    status->setFocusPolicy(Qt::NoFocus);
    status->setMinimumWidth(150);
    bindTextField(platform, state.LblFileStatus, status);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(fileName_, 1);
    fileRow->addWidget(browse);
    fileRow->addWidget(status);

    auto* delimiter = new QGroupBox;
    bindLabel(state.GroupBoxDelimiter, delimiter);
    tab_ = new QRadioButton;
    comma_ = new QRadioButton;
    semicolon_ = new QRadioButton;
    auto* delimiterGroup = new QButtonGroup(this);
    auto* delimiterLayout = new QVBoxLayout(delimiter);
    const std::pair<CheckBox*, QRadioButton*> delimiters[] = {
        {&state.RadioButtonTab, tab_}, {&state.RadioButtonComma, comma_}, {&state.RadioButtonSemicolon, semicolon_}};
    for (const auto& [box, button] : delimiters) {
        delimiterGroup->addButton(button);
        bindCheckBox(platform, *box, button);
        delimiterLayout->addWidget(button);
    }
    delimiterLayout->addStretch(1);

    auto* instructions = new QLabel;
    bindLabel(state.LabelInstructions, instructions);
    instructions->setWordWrap(true);

    row_ = new QLineEdit;
    ci_ = new QLineEdit;
    qObs_ = new QLineEdit;
    assimilation_ = new QLineEdit;
    endRow_ = new QLineEdit;
    leafTemp_ = new QLineEdit;
    light_ = new QLineEdit;
    pressure_ = new QLineEdit;
    curveColumn_ = new QLineEdit;
    curveValue_ = new QComboBox;
    const std::pair<TextField*, QLineEdit*> fields[] = {
        {&state.EdtRow, row_},
        {&state.EdtCi, ci_},
        {&state.EdtQObs, qObs_},
        {&state.EdtAssimilation, assimilation_},
        {&state.EdtEndRow, endRow_},
        {&state.EdtLeafTemp, leafTemp_},
        {&state.EdtLight, light_},
        {&state.EdtPressure, pressure_},
        {&state.EdtCurveColumn, curveColumn_},
    };
    for (const auto& [field, edit] : fields)
        bindTextField(platform, *field, edit);
    bindComboBox(platform, state.CmbCurveValue, curveValue_);

    // Two rows that line up: what to import, then the optional conditions and curve.
    // The Ci and Q boxes share a place, as only one of them shows.
    auto* xBox = new QWidget;
    auto* xLayout = new QHBoxLayout(xBox);
    xLayout->setContentsMargins(0, 0, 0, 0);
    xLayout->setSpacing(0);
    xLayout->addWidget(numberBox(state.LblCi, state.LblColCi, ci_));
    xLayout->addWidget(numberBox(state.LblQ, state.LblColQ, qObs_));
    auto* numbers = new QGridLayout;
    numbers->setHorizontalSpacing(0);
    QWidget* const boxes[2][4] = {
        {numberBox(state.Label11, state.Label10, row_), numberBox(state.LblEndRow, state.LblRowEnd, endRow_), xBox,
         numberBox(state.Label6, state.Label9, assimilation_)},
        {numberBox(state.LblLeafTemp, state.LblColLeafTemp, leafTemp_),
         numberBox(state.LblLight, state.LblColLight, light_),
         numberBox(state.LblPressure, state.LblColPressure, pressure_), curveBox(state, curveColumn_, curveValue_)},
    };
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            numbers->addWidget(boxes[r][c], r, c, Qt::AlignLeft | Qt::AlignTop);
    numbers->setColumnStretch(4, 1);

    auto* markRow = new QHBoxLayout;
    markRow->addWidget(delimiter);
    auto* markColumn = new QVBoxLayout;
    markColumn->addWidget(instructions);
    markColumn->addLayout(numbers);
    markRow->addLayout(markColumn, 1);

    preview_ = new GridView(platform, state.parseSpreadSheet);
    preview_->setToolTip(QString::fromStdString(state.parseSpreadSheet.hint));
    connect(preview_, &GridView::cellSelected, this,
            [this](int column, int row) { run([&] { state_.parseSpreadSheetSelectCell(column, row); }); });

    popupMenu_ = new QMenu(this);
    const std::pair<Label*, void (TFrmParseVerdex::*)()> items[] = {
        {&state.PopUpStartOfData, &TFrmParseVerdex::PopUpStartOfDataClick},
        {&state.PopUpACiPhotoSynth, &TFrmParseVerdex::PopUpACiPhotoSynthClick},
        {&state.PopUpQObsPar, &TFrmParseVerdex::PopUpQObsParClick},
        {&state.PopUpAssimilation, &TFrmParseVerdex::PopUpAssimilationClick},
        {nullptr, nullptr},  // the optional ones below a separator
        {&state.PopUpEndOfData, &TFrmParseVerdex::PopUpEndOfDataClick},
        {&state.PopUpLeafTemp, &TFrmParseVerdex::PopUpLeafTempClick},
        {&state.PopUpLight, &TFrmParseVerdex::PopUpLightClick},
        {&state.PopUpPressure, &TFrmParseVerdex::PopUpPressureClick},
        {&state.PopUpCurve, &TFrmParseVerdex::PopUpCurveClick},
    };
    for (const auto& [label, handler] : items) {
        if (!label) {
            popupMenu_->addSeparator();
            continue;
        }
        QAction* action = popupMenu_->addAction(QString());
        bindLabel(*label, action);
        connect(action, &QAction::triggered, this, [this, handler = handler] { run([&] { (state_.*handler)(); }); });
    }
    // The menu acts on the cell selected last, not on the one under the pointer; it
    // opens where the windows' grid menus open: dialog + grid + point, 40 down.
    connect(preview_, &GridView::mousePressed, this, [this](Qt::MouseButton button, int x, int y) {
        if (button != Qt::RightButton)
            return;
        const QPoint grid = preview_->mapTo(this, QPoint(0, 0));
        const QPoint frame = frameGeometry().topLeft();
        popupMenu_->popup(QPoint(frame.x() + grid.x() + x, frame.y() + grid.y() + y + 40));
    });

    ok_ = new QPushButton;
    cancel_ = new QPushButton;
    bindLabel(state.BtnOk, ok_);
    bindLabel(state.BtnCancel, cancel_);
    // Enter belongs to the fields and the grid, not to a default button.
    ok_->setAutoDefault(false);
    cancel_->setAutoDefault(false);
    connect(ok_, &QPushButton::clicked, this, [this] {
        run([this] { state_.BtnOkClick(); });
        if (!state_.visible)
            done(QDialog::Accepted);
    });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        run([this] { state_.BtnCancelClick(); });
        if (!state_.visible)
            done(QDialog::Rejected);
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addWidget(ok_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addLayout(markRow);
    layout->addWidget(preview_, 1);
    layout->addLayout(buttons);

    platform.registerImportDialog(&state, this);
}

void ImportDialog::run(const std::function<void()>& command) { runCommand(platform_, command); }

void ImportDialog::reject()
{
    state_.visible = false;
    QDialog::reject();
}

}  // namespace calvane::ui
