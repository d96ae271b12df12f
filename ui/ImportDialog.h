#pragma once
// The instrument file import dialog over a TFrmParseVerdex, shown modally through the
// platform: the file name with its live status, Browse, the delimiter, the preview
// grid with its marking menu, the rows and columns to import (with the optional end
// row, condition columns and curve), Ok and Cancel.

#include <QDialog>

#include <functional>

class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;

namespace calvane {
class TFrmParseVerdex;
}

namespace calvane::ui {

class GridView;
class QtPlatform;

class ImportDialog : public QDialog {
    Q_OBJECT
public:
    ImportDialog(TFrmParseVerdex& state, QtPlatform& platform, QWidget* parent = nullptr);

    GridView* preview() const { return preview_; }
    QMenu* popupMenu() const { return popupMenu_; }
    QLineEdit* fileNameEdit() const { return fileName_; }
    QLineEdit* rowEdit() const { return row_; }
    QLineEdit* ciEdit() const { return ci_; }
    QLineEdit* qObsEdit() const { return qObs_; }
    QLineEdit* assimilationEdit() const { return assimilation_; }
    QLineEdit* endRowEdit() const { return endRow_; }
    QLineEdit* leafTempEdit() const { return leafTemp_; }
    QLineEdit* lightEdit() const { return light_; }
    QLineEdit* pressureEdit() const { return pressure_; }
    QLineEdit* curveColumnEdit() const { return curveColumn_; }
    QComboBox* curveValueBox() const { return curveValue_; }
    QRadioButton* tabButton() const { return tab_; }
    QRadioButton* commaButton() const { return comma_; }
    QRadioButton* semicolonButton() const { return semicolon_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

public slots:
    // The close box and Escape close without Ok or Cancel: the import settings stay as
    // the last Ok or Cancel left them.
    void reject() override;

private:
    void run(const std::function<void()>& command);

    TFrmParseVerdex& state_;
    QtPlatform& platform_;
    GridView* preview_;
    QMenu* popupMenu_;
    QLineEdit* fileName_;
    QLineEdit* row_;
    QLineEdit* ci_;
    QLineEdit* qObs_;
    QLineEdit* assimilation_;
    QLineEdit* endRow_;
    QLineEdit* leafTemp_;
    QLineEdit* light_;
    QLineEdit* pressure_;
    QLineEdit* curveColumn_;
    QComboBox* curveValue_;
    QRadioButton* tab_;
    QRadioButton* comma_;
    QRadioButton* semicolon_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace calvane::ui
