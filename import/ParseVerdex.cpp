#include "import/ParseVerdex.h"

#include "core/NumberText.h"
#include "core/TextFile.h"
#include "import/LogColumns.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace calvane {

namespace {

constexpr int minimumPreviewSize = 55;

}  // namespace

TFrmParseVerdex::TFrmParseVerdex(Platform& platform, ImportSettings& settings)
    : platform_(platform), settings_(settings)
{
    RadioButtonComma.setChecked(true);
    RadioButtonTab.setChecked(false);

    EdtRow.setHint("First row of data in file");
    EdtCi.setHint("Ci");
    EdtQObs.setHint("Incident Q");
    EdtAssimilation.setHint("Assimilation");
    LblFileStatus.readOnly = true;
    LblFileStatus.setBackground(colours::faceColour);

    parseSpreadSheet.setColWidth(0, 20);
    parseSpreadSheet.setColWidth(1, 62);
    parseSpreadSheet.setColWidth(2, 70);
    parseSpreadSheet.setColWidth(3, 70);
    numberColumns();

    EdtVerdexFileName.textChanged.connect([this] { EdtVerdexFileNameChange(); });

    EdtEndRow.setHint("Last row of data in file; empty for the end of the file");
    EdtLeafTemp.setHint("Leaf temperature (oC); 0 for none");
    EdtLight.setHint("Light, PPFD (umol m-2 s-1); 0 for none");
    EdtPressure.setHint("Atmospheric pressure (kPa); 0 for none");
    EdtCurveColumn.setHint("Column that tells the curves of the file apart; 0 for every row");
    CmbCurveValue.hint = "The curve to import";
    for (TextField* field : {&EdtRow, &EdtEndRow, &EdtCurveColumn})
        field->textChanged.connect([this] { updateCurveValues(); });

    // Radio buttons: exactly one is checked; checking one unchecks the others and
    // reads the file again with the new delimiter. Unchecking the only checked one
    // from code selects another (Comma, or Tab for Comma), so a delimiter is always chosen.
    RadioButtonTab.clicked.connect([this] { chooseDelimiter(RadioButtonTab, RadioButtonComma); });
    RadioButtonComma.clicked.connect([this] { chooseDelimiter(RadioButtonComma, RadioButtonTab); });
    RadioButtonSemicolon.clicked.connect([this] { chooseDelimiter(RadioButtonSemicolon, RadioButtonComma); });
}

void TFrmParseVerdex::chooseDelimiter(CheckBox& chosen, CheckBox& fallback)
{
    if (!chosen.checked()) {
        if (!RadioButtonTab.checked() && !RadioButtonComma.checked() && !RadioButtonSemicolon.checked())
            fallback.setChecked(true);
        return;
    }
    for (CheckBox* other : {&RadioButtonTab, &RadioButtonComma, &RadioButtonSemicolon})
        if (other != &chosen)
            other->setChecked(false);
    if (&chosen == &RadioButtonTab)
        RadioButtonTabClick();
    else if (&chosen == &RadioButtonComma)
        RadioButtonCommaClick();
    else
        RadioButtonSemicolonClick();
}

void TFrmParseVerdex::numberColumns()
{
    const char separator = platform_.decimalSeparator();
    for (int col = 0; col < parseSpreadSheet.colCount(); ++col)
        parseSpreadSheet.setCell(col, 0, formatNumber(col, separator));
}

void TFrmParseVerdex::SetImportType(ImportKind importType)
{
    settings_.ImportType = static_cast<std::uint8_t>(importType);
    // Follows GetData: every type but a light-response import takes its x values from
    // the Ci column.
    const bool aci = importType != ImportKind::LightResponse;
    LblCi.setVisible(aci);
    EdtCi.setVisible(aci);
    LblColCi.setVisible(aci);
    PopUpACiPhotoSynth.setVisible(aci);
    LblQ.setVisible(!aci);
    EdtQObs.setVisible(!aci);
    LblColQ.setVisible(!aci);
    PopUpQObsPar.setVisible(!aci);
    // Only the A/Ci window has fields for the conditions.
    for (Label* label : {&LblLeafTemp, &LblColLeafTemp, &LblLight, &LblColLight, &LblPressure, &LblColPressure,
                         &PopUpLeafTemp, &PopUpLight, &PopUpPressure})
        label->setVisible(aci);
    for (TextField* field : {&EdtLeafTemp, &EdtLight, &EdtPressure})
        field->setVisible(aci);
}

void TFrmParseVerdex::LoadFromCSV(const std::string& fileName)
{
    // Everything an earlier file left is emptied, hidden cells too, so no column or
    // row number typed later can hand back a field of another file.
    parseSpreadSheet.emptyAllStoredDataCells();
    settings_.SelectedColumn = 0;

    std::vector<std::vector<std::string>> lines;
    if (!fileName.empty()) {
        if (const auto bytes = platform_.readFile(fileName)) {
            const LogDelimiter delimiter = RadioButtonTab.checked()         ? LogDelimiter::Tab
                                           : RadioButtonSemicolon.checked() ? LogDelimiter::Semicolon
                                                                            : LogDelimiter::Comma;
            for (const auto& line : splitLines(decodeText(*bytes)))
                lines.push_back(splitLogFields(line, delimiter));
        }
    }

    // The preview holds the whole file, so GetData reaches every line: instrument
    // files often carry more than 54 heading lines or fields.
    std::size_t widest = 0;
    for (const auto& fields : lines)
        widest = std::max(widest, fields.size());
    parseSpreadSheet.setRowCount(std::max<int>(minimumPreviewSize, static_cast<int>(lines.size()) + 1));
    parseSpreadSheet.setColCount(std::max<int>(minimumPreviewSize, static_cast<int>(widest) + 1));
    numberColumns();

    for (std::size_t k = 0; k < lines.size(); ++k)
        for (std::size_t m = 0; m < lines[k].size(); ++m)
            if (!lines[k][m].empty())
                parseSpreadSheet.setCell(static_cast<int>(m) + 1, static_cast<int>(k) + 1, std::move(lines[k][m]));
    recogniseColumns();
    updateCurveValues();
}

void TFrmParseVerdex::recogniseColumns()
{
    // Every load finds them afresh: numbers left from another file would name other columns.
    columnNamesRow_ = findColumnNamesRow(parseSpreadSheet);
    const char separator = platform_.decimalSeparator();
    auto recognise = [&](TextField& field, LogCondition condition) {
        field.setText(formatNumber(recogniseConditionColumn(parseSpreadSheet, columnNamesRow_, condition), separator));
    };
    recognise(EdtLeafTemp, LogCondition::LeafTemperature);
    recognise(EdtLight, LogCondition::Light);
    recognise(EdtPressure, LogCondition::Pressure);
}

void TFrmParseVerdex::updateCurveValues()
{
    const int column = numEditValue(EdtCurveColumn);
    std::vector<std::string> values;
    if (column >= 1) {
        const int end = numEditValue(EdtEndRow);
        const int last = end >= 1 ? std::min(end, parseSpreadSheet.rowCount() - 1) : parseSpreadSheet.rowCount() - 1;
        std::unordered_set<std::string> seen;
        for (int row = std::max(1, numEditValue(EdtRow)); row <= last; ++row) {
            const std::string& value = parseSpreadSheet.cell(column, row);
            if (!parseSpreadSheet.cell(1, row).empty() && !value.empty() && seen.insert(value).second)
                values.push_back(value);
        }
    }
    // The chosen value stays while it is one of the values, else the first one is chosen.
    const bool keep = std::find(values.begin(), values.end(), CmbCurveValue.text()) != values.end();
    std::string chosen = keep ? CmbCurveValue.text() : values.empty() ? std::string() : values.front();
    CmbCurveValue.setItems(std::move(values));
    CmbCurveValue.setText(std::move(chosen));
}

void TFrmParseVerdex::LoadFile()
{
    const std::string name = trim(EdtVerdexFileName.text());
    if (!name.empty() && !platform_.fileExists(name)) {
        platform_.showError(name + " does not exist!\n");
        return;
    }
    LoadFromCSV(name);
}

void TFrmParseVerdex::EdtVerdexFileNameChange()
{
    const std::string name = trim(EdtVerdexFileName.text());
    if (name.empty() || platform_.fileExists(name)) {
        LblFileStatus.setText({});
        LblFileStatus.setBackground(colours::faceColour);
        if (!name.empty())
            LoadFile();
        return;
    }
    LblFileStatus.setText("File Does Not Exist!");
    LblFileStatus.setBackground(colours::red);
}

void TFrmParseVerdex::RadioButtonTabClick() { EdtVerdexFileNameChange(); }

void TFrmParseVerdex::RadioButtonCommaClick() { EdtVerdexFileNameChange(); }

void TFrmParseVerdex::RadioButtonSemicolonClick() { EdtVerdexFileNameChange(); }

void TFrmParseVerdex::BtnBrowseClick()
{
    OpenDialog.defaultExtension = "*.*";
    OpenDialog.filter = "All files (*.*)|*.*";
    OpenDialog.filterIndex = 1;
    OpenDialog.title = "Select the Verdex file to import.";
    const auto picked = platform_.chooseOpenFile(OpenDialog);
    if (!picked)
        return;
    EdtVerdexFileName.setText(*picked);
    // A file picked here comes with its own delimiter; a name being typed keeps the
    // chosen one, as it loads at every keystroke that names a file.
    if (const auto bytes = platform_.readFile(trim(*picked))) {
        switch (detectLogDelimiter(decodeText(*bytes))) {
        case LogDelimiter::Tab:
            RadioButtonTab.setChecked(true);
            break;
        case LogDelimiter::Comma:
            RadioButtonComma.setChecked(true);
            break;
        case LogDelimiter::Semicolon:
            RadioButtonSemicolon.setChecked(true);
            break;
        }
    }
    LoadFile();
}

void TFrmParseVerdex::parseSpreadSheetSelectCell(int column, int row)
{
    settings_.SelectedColumn = column;
    settings_.SelectedRow = row;
}

void TFrmParseVerdex::PopUpStartOfDataClick()
{
    EdtRow.setText(formatNumber(settings_.SelectedRow, platform_.decimalSeparator()));
}

void TFrmParseVerdex::PopUpACiPhotoSynthClick()
{
    EdtCi.setText(formatNumber(settings_.SelectedColumn, platform_.decimalSeparator()));
}

void TFrmParseVerdex::PopUpQObsParClick()
{
    EdtQObs.setText(formatNumber(settings_.SelectedColumn, platform_.decimalSeparator()));
}

void TFrmParseVerdex::PopUpAssimilationClick()
{
    EdtAssimilation.setText(formatNumber(settings_.SelectedColumn, platform_.decimalSeparator()));
}

void TFrmParseVerdex::PopUpEndOfDataClick()
{
    EdtEndRow.setText(formatNumber(settings_.SelectedRow, platform_.decimalSeparator()));
}

void TFrmParseVerdex::PopUpLeafTempClick()
{
    EdtLeafTemp.setText(formatNumber(settings_.SelectedColumn, platform_.decimalSeparator()));
}

void TFrmParseVerdex::PopUpLightClick()
{
    EdtLight.setText(formatNumber(settings_.SelectedColumn, platform_.decimalSeparator()));
}

void TFrmParseVerdex::PopUpPressureClick()
{
    EdtPressure.setText(formatNumber(settings_.SelectedColumn, platform_.decimalSeparator()));
}

void TFrmParseVerdex::PopUpCurveClick()
{
    EdtCurveColumn.setText(formatNumber(settings_.SelectedColumn, platform_.decimalSeparator()));
}

std::int32_t TFrmParseVerdex::numEditValue(const TextField& field)
{
    return readWholeNumber(trim(field.text())).value_or(0);
}

void TFrmParseVerdex::BtnOkClick()
{
    settings_.ImportFileName = trim(EdtVerdexFileName.text());
    settings_.CiColumn = numEditValue(EdtCi);
    settings_.QObsColumn = numEditValue(EdtQObs);
    settings_.AssimColumn = numEditValue(EdtAssimilation);
    settings_.DataStartRow = numEditValue(EdtRow);
    settings_.DataEndRow = numEditValue(EdtEndRow);
    settings_.LeafTempColumn = numEditValue(EdtLeafTemp);
    settings_.LightColumn = numEditValue(EdtLight);
    settings_.PressureColumn = numEditValue(EdtPressure);
    settings_.CurveColumn = numEditValue(EdtCurveColumn);
    settings_.CurveValue = CmbCurveValue.text();
    visible = false;
    modalResult = ModalResult::Ok;
}

void TFrmParseVerdex::BtnCancelClick()
{
    settings_.ImportFileName.clear();
    settings_.CiColumn = 0;
    settings_.QObsColumn = 0;
    settings_.AssimColumn = 0;
    settings_.DataStartRow = 0;
    settings_.DataEndRow = 0;
    settings_.LeafTempColumn = 0;
    settings_.LightColumn = 0;
    settings_.PressureColumn = 0;
    settings_.CurveColumn = 0;
    settings_.CurveValue.clear();
    visible = false;
    modalResult = ModalResult::Cancel;
}

std::vector<int> TFrmParseVerdex::dataRows() const
{
    std::vector<int> rows;
    if (settings_.DataStartRow < 1)
        return rows;
    int last = parseSpreadSheet.rowCount() - 1;
    if (settings_.DataEndRow >= 1)
        last = std::min(last, settings_.DataEndRow);
    const int curveColumn = settings_.CurveColumn;
    for (int row = settings_.DataStartRow; row <= last; ++row) {
        if (parseSpreadSheet.cell(1, row).empty())
            continue;
        if (curveColumn >= 1 && parseSpreadSheet.cell(curveColumn, row) != settings_.CurveValue)
            continue;
        rows.push_back(row);
    }
    return rows;
}

std::string TFrmParseVerdex::GetData() const
{
    std::string data;
    const int xColumn = settings_.ImportType == static_cast<std::uint8_t>(ImportKind::LightResponse)
                            ? settings_.QObsColumn
                            : settings_.CiColumn;
    const int yColumn = settings_.AssimColumn;
    // A negative column number typed by hand names no field.
    const auto field = [this](int column, int row) -> std::string {
        std::string text = column < 0 ? std::string{} : parseSpreadSheet.cell(column, row);
        // A ';' log may write decimal commas, which the paste would take for separators.
        if (semicolonMode() && !readNumber(text, '.') && readNumber(text, ','))
            std::replace(text.begin(), text.end(), ',', '.');
        return text;
    };
    for (const int row : dataRows()) {
        data += field(xColumn, row);
        data += ", ";
        data += field(yColumn, row);
        data += "\r\n";
    }
    return data;
}

std::optional<double> TFrmParseVerdex::ColumnMean(int column) const
{
    if (column < 1)
        return std::nullopt;
    long double sum = 0;
    int count = 0;
    for (const int row : dataRows()) {
        if (const auto value = readLogNumber(parseSpreadSheet.cell(column, row), semicolonMode())) {
            sum += *value;
            ++count;
        }
    }
    if (count == 0)
        return std::nullopt;
    return static_cast<double>(sum / count);
}

ImportConditions TFrmParseVerdex::GetConditions() const
{
    if (settings_.ImportType == static_cast<std::uint8_t>(ImportKind::LightResponse))
        return {};
    return {ColumnMean(settings_.LeafTempColumn), ColumnMean(settings_.LightColumn),
            ColumnMean(settings_.PressureColumn)};
}

std::optional<int> TFrmParseVerdex::FindColumn(const std::string& name) const
{
    const std::string wanted = trim(name);
    if (columnNamesRow_ >= 1) {
        for (int col = 1; col < parseSpreadSheet.colCount(); ++col)
            if (columnName(parseSpreadSheet.cell(col, columnNamesRow_)) == wanted)
                return col;
    }
    const auto number = readWholeNumber(wanted);
    if (number && *number >= 1 && *number < parseSpreadSheet.colCount())
        return *number;
    return std::nullopt;
}

std::string TFrmParseVerdex::GetFileName() const { return settings_.ImportFileName; }

}  // namespace calvane
