#include "import/ParseVerdex.h"

#include "core/NumberText.h"
#include "core/TextFile.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace calvane {

namespace {

constexpr int minimumPreviewSize = 55;

// One line cut into fields the way the instrument's export is read: at commas (in Tab
// mode tabs become commas first), each field trimmed, a comma at the very end adding
// no field.
std::vector<std::string> splitFields(std::string_view line, bool tabMode)
{
    std::string tabbed;
    if (tabMode) {
        tabbed.assign(line);
        std::replace(tabbed.begin(), tabbed.end(), '\t', ',');
        line = trimView(tabbed);
    }
    std::vector<std::string> fields;
    std::string_view rest = line;
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        fields.push_back(trim(rest.substr(0, comma)));
        rest = comma == std::string_view::npos ? std::string_view{} : trimView(rest.substr(comma + 1));
    }
    return fields;
}

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

    // Radio buttons: exactly one is checked; checking one unchecks the other and
    // reads the file again with the new delimiter. Unchecking the only checked one
    // from code selects the other, so a delimiter is always chosen.
    RadioButtonTab.clicked.connect([this] {
        if (RadioButtonTab.checked()) {
            RadioButtonComma.setChecked(false);
            RadioButtonTabClick();
        } else if (!RadioButtonComma.checked()) {
            RadioButtonComma.setChecked(true);
        }
    });
    RadioButtonComma.clicked.connect([this] {
        if (RadioButtonComma.checked()) {
            RadioButtonTab.setChecked(false);
            RadioButtonCommaClick();
        } else if (!RadioButtonTab.checked()) {
            RadioButtonTab.setChecked(true);
        }
    });
}

void TFrmParseVerdex::numberColumns()
{
    const char separator = platform_.decimalSeparator();
    for (int col = 0; col < parseSpreadSheet.colCount(); ++col)
        parseSpreadSheet.setCell(col, 0, formatNumber(col, separator));
}

void TFrmParseVerdex::SetImportType(int importType)
{
    settings_.ImportType = static_cast<std::uint8_t>(importType);
    // Follows GetData: every type but 0 takes its x values from the Ci column.
    const bool aci = settings_.ImportType != 0;
    LblCi.setVisible(aci);
    EdtCi.setVisible(aci);
    LblColCi.setVisible(aci);
    PopUpACiPhotoSynth.setVisible(aci);
    LblQ.setVisible(!aci);
    EdtQObs.setVisible(!aci);
    LblColQ.setVisible(!aci);
    PopUpQObsPar.setVisible(!aci);
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
            const bool tabMode = RadioButtonTab.checked();
            for (const auto& line : splitLines(decodeText(*bytes)))
                lines.push_back(splitFields(line, tabMode));
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

void TFrmParseVerdex::RadioButtonTabClick()
{
    EdtVerdexFileNameChange();
}

void TFrmParseVerdex::RadioButtonCommaClick()
{
    EdtVerdexFileNameChange();
}

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
    visible = false;
    modalResult = ModalResult::Cancel;
}

std::string TFrmParseVerdex::GetData() const
{
    std::string data;
    if (settings_.DataStartRow < 1)
        return data;
    const int xColumn = settings_.ImportType == 0 ? settings_.QObsColumn : settings_.CiColumn;
    const int yColumn = settings_.AssimColumn;
    // A negative column number typed by hand names no field.
    const auto field = [this](int column, int row) -> std::string {
        return column < 0 ? std::string{} : parseSpreadSheet.cell(column, row);
    };
    for (int row = settings_.DataStartRow; row < parseSpreadSheet.rowCount(); ++row) {
        if (parseSpreadSheet.cell(1, row).empty())
            continue;
        data += field(xColumn, row);
        data += ", ";
        data += field(yColumn, row);
        data += "\r\n";
    }
    return data;
}

std::string TFrmParseVerdex::GetFileName() const
{
    return settings_.ImportFileName;
}

}  // namespace calvane
