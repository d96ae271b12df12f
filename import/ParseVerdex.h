#pragma once
// TFrmParseVerdex: the instrument file import dialog without widgets. The file is
// split into a preview grid; the user marks the first data row, the x column (Ci or
// incident light) and the assimilation column; GetData hands the marked cells back
// as one "x, y" line per data row, which the calling window pastes. Optionally an end
// row and a curve column with one of its values narrow the rows handed back, and the
// leaf temperature, light and pressure columns (recognised on loading by their names)
// give the means GetConditions hands back.

#include "core/Controls.h"
#include "core/Grid.h"
#include "core/Platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace calvane {

// What an import brings in: light-response rows (Q Obs, A) or A/Ci rows (Ci, A). The
// import settings keep it as the byte of these values.
enum class ImportKind : std::uint8_t { LightResponse = 0, Aci = 1 };

// The import settings, held once by the application and handed to both windows'
// dialogs, so each dialog sees the last Ok or Cancel of either.
struct ImportSettings {
    std::string ImportFileName;
    std::int32_t CiColumn = 0;
    std::int32_t QObsColumn = 0;
    std::int32_t AssimColumn = 0;
    std::int32_t DataStartRow = 0;
    std::int32_t SelectedColumn = 0;
    std::int32_t SelectedRow = 0;
    std::uint8_t ImportType = 0;  // an ImportKind: 0 = light response, 1 = A/Ci
    // Optional, 0 for none: the last data row (0 = to the end of the file), the
    // columns of the measuring conditions, and a column that tells the curves of a
    // log apart, with the value whose rows are handed back.
    std::int32_t DataEndRow = 0;
    std::int32_t LeafTempColumn = 0;
    std::int32_t LightColumn = 0;
    std::int32_t PressureColumn = 0;
    std::int32_t CurveColumn = 0;
    std::string CurveValue;
};

// The measuring conditions of the rows handed back: each the mean of its column over
// those rows that hold a number there; none where no column is chosen or no row holds one.
struct ImportConditions {
    std::optional<double> leafTemperature;  // oC
    std::optional<double> light;            // umol m-2 s-1
    std::optional<double> pressure;         // kPa, as the log gives it
};

class TFrmParseVerdex {
public:
    enum class ModalResult { None, Ok, Cancel };

    TFrmParseVerdex(Platform& platform, ImportSettings& settings);
    TFrmParseVerdex(const TFrmParseVerdex&) = delete;
    TFrmParseVerdex& operator=(const TFrmParseVerdex&) = delete;

    // Used by the calling window.
    void SetImportType(ImportKind importType);
    std::string GetData() const;
    std::string GetFileName() const;
    // The conditions of an A/Ci import (the light-response window has no field for
    // them, so its import has none).
    ImportConditions GetConditions() const;
    // The mean of a column over the rows GetData hands back that hold a number there.
    std::optional<double> ColumnMean(int column) const;
    // A column named as on the column-names row (trimmed, without quotes, matched
    // exactly), or else by its number; none when there is no such column.
    std::optional<int> FindColumn(const std::string& name) const;
    // The row that names the columns, found when the file was loaded; 0 for none.
    int ColumnNamesRow() const { return columnNamesRow_; }

    // Handlers.
    void BtnBrowseClick();
    void EdtVerdexFileNameChange();
    void RadioButtonTabClick();
    void RadioButtonCommaClick();
    void RadioButtonSemicolonClick();
    void parseSpreadSheetSelectCell(int column, int row);
    void PopUpStartOfDataClick();
    void PopUpACiPhotoSynthClick();
    void PopUpQObsParClick();
    void PopUpAssimilationClick();
    void PopUpEndOfDataClick();
    void PopUpLeafTempClick();
    void PopUpLightClick();
    void PopUpPressureClick();
    void PopUpCurveClick();
    void BtnOkClick();
    void BtnCancelClick();

    // Internal operations, public for the view and the tests.
    void LoadFile();
    void LoadFromCSV(const std::string& fileName);
    static std::int32_t numEditValue(const TextField& field);

    const ImportSettings& settings() const { return settings_; }

    std::string caption = "Import Verdex  File";
    bool visible = false;
    ModalResult modalResult = ModalResult::None;

    Label Label1{"File:"};
    TextField EdtVerdexFileName;
    Label BtnBrowse{"Browse..."};
    TextField LblFileStatus;  // "File Does Not Exist!" on red, or empty on the face colour
    Label GroupBoxDelimiter{"File Delimiter"};
    CheckBox RadioButtonTab{"Tab"};
    CheckBox RadioButtonComma{"Comma"};
    CheckBox RadioButtonSemicolon{"Semicolon"};
    Label LabelInstructions{"Define the column headers that you want to use for analysis.  "};
    Label Label11{"Data Start:"};
    Label Label10{"Row:"};
    TextField EdtRow{"0"};
    Label LblCi{"Ci:"};
    Label LblColCi{"Col:"};
    TextField EdtCi{"0"};
    Label LblQ{"Qi (Par):"};
    Label LblColQ{"Col:"};
    TextField EdtQObs{"0"};
    Label Label6{"Assimilation:"};
    Label Label9{"Col:"};
    TextField EdtAssimilation{"0"};
    Label LblEndRow{"Data End:"};
    Label LblRowEnd{"Row:"};
    TextField EdtEndRow;  // empty: to the end of the file
    Label LblLeafTemp{"Leaf Temp:"};
    Label LblColLeafTemp{"Col:"};
    TextField EdtLeafTemp{"0"};
    Label LblLight{"Light:"};
    Label LblColLight{"Col:"};
    TextField EdtLight{"0"};
    Label LblPressure{"Pressure (kPa):"};
    Label LblColPressure{"Col:"};
    TextField EdtPressure{"0"};
    Label LblCurve{"Curve:"};
    Label LblColCurve{"Col:"};
    TextField EdtCurveColumn{"0"};
    Label LblCurveValue{"Value:"};
    ComboBox CmbCurveValue;  // the curve column's values, in order of appearance
    Grid parseSpreadSheet{55, 55};
    Label PopUpStartOfData{"Start Of Data"};
    Label PopUpACiPhotoSynth{"Ci PhotoSynth"};
    Label PopUpQObsPar{"Q Obs (Par)"};
    Label PopUpAssimilation{"Assimilation"};
    Label PopUpEndOfData{"End Of Data"};
    Label PopUpLeafTemp{"Leaf Temp"};
    Label PopUpLight{"Light"};
    Label PopUpPressure{"Pressure"};
    Label PopUpCurve{"Curve"};
    Label BtnCancel{"Cancel"};
    Label BtnOk{"Ok"};
    FileDialogOptions OpenDialog;

private:
    // Row 0 of the preview: every column's number.
    void numberColumns();
    // The chosen delimiter radio button, the other two cleared, the file read again.
    void chooseDelimiter(CheckBox& chosen, CheckBox& fallback);
    // The column-names row and the condition columns on it, after a load.
    void recogniseColumns();
    // The curve column's values between the start and end rows typed so far.
    void updateCurveValues();
    // The rows GetData hands back, in order.
    std::vector<int> dataRows() const;
    bool semicolonMode() const { return RadioButtonSemicolon.checked(); }

    Platform& platform_;
    ImportSettings& settings_;
    int columnNamesRow_ = 0;
};

}  // namespace calvane
