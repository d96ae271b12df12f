#pragma once
// TFrmParseVerdex: the instrument file import dialog without widgets. The file is
// split into a preview grid; the user marks the first data row, the x column (Ci or
// incident light) and the assimilation column; GetData hands the marked cells back
// as one "x, y" line per data row, which the calling window pastes.

#include "core/Controls.h"
#include "core/Grid.h"
#include "core/Platform.h"

#include <cstdint>
#include <string>

namespace calvane {

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
    std::uint8_t ImportType = 0;  // 0 = light response, 1 = A/Ci
};

class TFrmParseVerdex {
public:
    enum class ModalResult { None, Ok, Cancel };

    TFrmParseVerdex(Platform& platform, ImportSettings& settings);
    TFrmParseVerdex(const TFrmParseVerdex&) = delete;
    TFrmParseVerdex& operator=(const TFrmParseVerdex&) = delete;

    // Used by the calling window.
    void SetImportType(int importType);
    std::string GetData() const;
    std::string GetFileName() const;

    // Handlers.
    void BtnBrowseClick();
    void EdtVerdexFileNameChange();
    void RadioButtonTabClick();
    void RadioButtonCommaClick();
    void parseSpreadSheetSelectCell(int column, int row);
    void PopUpStartOfDataClick();
    void PopUpACiPhotoSynthClick();
    void PopUpQObsParClick();
    void PopUpAssimilationClick();
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
    Grid parseSpreadSheet{55, 55};
    Label PopUpStartOfData{"Start Of Data"};
    Label PopUpACiPhotoSynth{"Ci PhotoSynth"};
    Label PopUpQObsPar{"Q Obs (Par)"};
    Label PopUpAssimilation{"Assimilation"};
    Label BtnCancel{"Cancel"};
    Label BtnOk{"Ok"};
    FileDialogOptions OpenDialog;

private:
    // Row 0 of the preview: every column's number.
    void numberColumns();

    Platform& platform_;
    ImportSettings& settings_;
};

}  // namespace calvane
