#include "batch/BatchRun.h"

#include "aci/ACi_Curve.h"
#include "aq/AQ_C3_Curve.h"
#include "batch/BatchPlatform.h"
#include "core/Errors.h"
#include "core/ExportFile.h"
#include "core/TextFile.h"
#include "import/ParseVerdex.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>

namespace calvane::batch {

namespace {

const char* const usageText =
    "usage: calvane-batch aci|aq [OPTIONS] FILE\n"
    "  loading:  (default: File > Import > CSV Text)  --drop  --instrument ROW,XCOL,ACOL [--tab]\n"
    "  fields:   --id TEXT  --set NAME=TEXT  --fix NAME[=TEXT]  --free NAME\n"
    "  commands: aci: --compute --plot --clear   aq: --fit --refine --plot --clear   --none\n"
    "  output:   -o PATH | --export PATH (default: standard output)\n"
    "  names:    aci: Kc Ko Tau Temp Light Respiration Vcmax Jmax TPU GammaStar\n"
    "            aq:  Amax AQE Convexity Respiration ParAbs LightSat LightComp\n";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Kind { Aci, Aq };
enum class Loading { CsvText, Drop, Instrument };

struct FieldAction {
    enum class What { Identifier, Set, Fix, Free } what;
    std::string name;
    std::optional<std::string> text;  // none for "--fix NAME" and "--free NAME"
};

struct Options {
    Kind kind = Kind::Aci;
    std::optional<Loading> loading;
    std::vector<std::string> instrumentParts;
    bool tab = false;
    std::vector<FieldAction> fields;
    std::vector<std::string> commands;
    bool none = false;
    std::optional<std::string> output;
    std::optional<std::string> file;
};

// A field of a window by its batch name, and its fixed flag where it has one.
struct FieldRef {
    TextField* field;
    CheckBox* flag;
};

// What calvane-batch needs of one kind of window.
class Session {
public:
    virtual ~Session() = default;
    virtual std::map<std::string, FieldRef> fields() = 0;
    virtual TextField& identifier() = 0;
    virtual std::map<std::string, std::function<void()>> commands() = 0;
    virtual std::string defaultCommand() const = 0;
    virtual void importCsvText() = 0;
    virtual void drop(const std::vector<DroppedItem>& items) = 0;
    virtual void importInstrument() = 0;
    virtual TextField& instrumentXColumn() = 0;
    virtual TFrmParseVerdex& importDialog() = 0;
    virtual std::vector<std::string> exportLines() const = 0;
};

class AciSession : public Session {
public:
    AciSession(Platform& platform, ImportSettings& settings) : w(platform, settings) {}
    std::map<std::string, FieldRef> fields() override
    {
        return {{"Kc", {&w.aciEdit_Kc, &w.aciCheckBox_Kc}},
                {"Ko", {&w.aciEdit_Ko, &w.aciCheckBox_Ko}},
                {"Tau", {&w.aciEdit_Tau, &w.aciCheckBox_Tau}},
                {"Temp", {&w.aciEdit_Temp, nullptr}},
                {"Light", {&w.aciEdit_Light, nullptr}},
                {"Respiration", {&w.aciEdit_Respiration, &w.aciCheckBox_Respiration}},
                {"Vcmax", {&w.aciEdit_Vcmax, &w.aciCheckBox_Vcmax}},
                {"Jmax", {&w.aciEdit_Jmax, &w.aciCheckBox_Jmax}},
                {"TPU", {&w.aciEdit_TPU, &w.aciCheckBox_TPU}},
                {"GammaStar", {&w.aciEdit_GammaStar, nullptr}}};
    }
    TextField& identifier() override { return w.aciEdit_Identifier; }
    std::map<std::string, std::function<void()>> commands() override
    {
        return {{"--compute", [this] { w.aciMnuResultsComputeCurveClick(); }},
                {"--plot", [this] { w.aciMnuResultsPlotDataClick(); }},
                {"--clear", [this] { w.aciMnuFileClearClick(); }}};
    }
    std::string defaultCommand() const override { return "--compute"; }
    void importCsvText() override { w.aciMnuFIleImportTextClick(); }
    void drop(const std::vector<DroppedItem>& items) override { w.KipFormDropFilesDropFiles(items); }
    void importInstrument() override { w.aciMnuFileImortVerdexClick(); }
    TextField& instrumentXColumn() override { return w.frmParseVerdex.EdtCi; }
    TFrmParseVerdex& importDialog() override { return w.frmParseVerdex; }
    std::vector<std::string> exportLines() const override { return w.exportLines(); }

private:
    TfrmACi_Curve w;
};

class AqSession : public Session {
public:
    AqSession(Platform& platform, ImportSettings& settings) : w(platform, settings) {}
    std::map<std::string, FieldRef> fields() override
    {
        return {{"Amax", {&w.aqNumEdit_Amax, &w.aqCheckBox_Amax}},
                {"AQE", {&w.aqNumEdit_AQE, &w.aqCheckBox_AQE}},
                {"Convexity", {&w.aqNumEdit_Convexity, &w.aqCheckBox_Convexity}},
                {"Respiration", {&w.aqNumEdit_A0_Resp, &w.aqCheckBox_A0_Resp}},
                {"ParAbs", {&w.aqNumEdit_ParAbs, nullptr}},
                {"LightSat", {&w.aqNumEdit_LightSatPoint, nullptr}},
                {"LightComp", {&w.aqNumEdit_LightCompPoint, nullptr}}};
    }
    TextField& identifier() override { return w.aqEdit_Identifier; }
    std::map<std::string, std::function<void()>> commands() override
    {
        return {{"--fit", [this] { w.aqMnuResultsFitCurveClick(); }},
                {"--refine", [this] { w.aqMnuResultsRefineCurveClick(); }},
                {"--plot", [this] { w.aqMnuResultsPlotDataClick(); }},
                {"--clear", [this] { w.aqMnuFileClearClick(); }}};
    }
    std::string defaultCommand() const override { return "--fit"; }
    void importCsvText() override { w.aqMnuFileImportCSVClick(); }
    void drop(const std::vector<DroppedItem>& items) override { w.KipFormDropFilesDropFiles(items); }
    void importInstrument() override { w.aqMnuFileImportVerdexClick(); }
    TextField& instrumentXColumn() override { return w.frmParseVerdex.EdtQObs; }
    TFrmParseVerdex& importDialog() override { return w.frmParseVerdex; }
    std::vector<std::string> exportLines() const override { return w.exportLines(); }

private:
    TfrmAQ_C3_Curve w;
};

bool isCommandOption(const std::string& arg)
{
    return arg == "--compute" || arg == "--fit" || arg == "--refine" || arg == "--plot" || arg == "--clear";
}

std::vector<std::string> splitAt(const std::string& text, char separator)
{
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

void setLoading(Options& options, Loading loading)
{
    if (options.loading)
        throw UsageError("only one loading mode may be given");
    options.loading = loading;
}

// NAME=TEXT, NAME non-empty.
std::pair<std::string, std::string> nameAndText(const std::string& option, const std::string& value)
{
    const auto equals = value.find('=');
    if (equals == std::string::npos || equals == 0)
        throw UsageError(option + " takes NAME=TEXT");
    return {value.substr(0, equals), value.substr(equals + 1)};
}

Options parseArguments(const std::vector<std::string>& args)
{
    if (args.empty())
        throw UsageError("missing the window kind, aci or aq");
    Options options;
    if (args[0] == "aci")
        options.kind = Kind::Aci;
    else if (args[0] == "aq")
        options.kind = Kind::Aq;
    else
        throw UsageError("unknown window kind '" + args[0] + "' (aci or aq)");

    bool positionalOnly = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError(arg + " needs a value");
            return args[++i];
        };
        if (positionalOnly || arg.empty() || arg[0] != '-' || arg == "-") {
            if (options.file)
                throw UsageError("only one FILE may be given");
            options.file = arg;
        } else if (arg == "--") {
            positionalOnly = true;
        } else if (arg == "--id") {
            options.fields.push_back({FieldAction::What::Identifier, {}, value()});
        } else if (arg == "--set") {
            auto [name, text] = nameAndText(arg, value());
            options.fields.push_back({FieldAction::What::Set, name, text});
        } else if (arg == "--fix") {
            const std::string& v = value();
            if (v.find('=') == std::string::npos) {
                if (v.empty())
                    throw UsageError("--fix takes NAME or NAME=TEXT");
                options.fields.push_back({FieldAction::What::Fix, v, std::nullopt});
            } else {
                auto [name, text] = nameAndText(arg, v);
                options.fields.push_back({FieldAction::What::Fix, name, text});
            }
        } else if (arg == "--free") {
            const std::string& v = value();
            if (v.empty() || v.find('=') != std::string::npos)
                throw UsageError("--free takes NAME only");
            options.fields.push_back({FieldAction::What::Free, v, std::nullopt});
        } else if (arg == "--drop") {
            setLoading(options, Loading::Drop);
        } else if (arg == "--instrument") {
            setLoading(options, Loading::Instrument);
            options.instrumentParts = splitAt(value(), ',');
            if (options.instrumentParts.size() != 3)
                throw UsageError("--instrument takes ROW,XCOL,ACOL");
        } else if (arg == "--tab") {
            options.tab = true;
        } else if (arg == "--none") {
            options.none = true;
        } else if (arg == "-o" || arg == "--export") {
            if (options.output)
                throw UsageError("only one output file may be given");
            options.output = value();
        } else if (isCommandOption(arg)) {
            options.commands.push_back(arg);
        } else {
            throw UsageError("unknown option " + arg);
        }
    }
    if (!options.file)
        throw UsageError("missing FILE");
    if (options.none && !options.commands.empty())
        throw UsageError("--none cannot go with a command");
    if (options.tab && options.loading != Loading::Instrument)
        throw UsageError("--tab goes with --instrument");
    return options;
}

// Checks the names and commands against the window; a usage error before anything runs.
void checkAgainstWindow(const Options& options, Session& session)
{
    const auto fields = session.fields();
    for (const auto& action : options.fields) {
        if (action.what == FieldAction::What::Identifier)
            continue;
        const auto found = fields.find(action.name);
        if (found == fields.end())
            throw UsageError("unknown field name " + action.name);
        if ((action.what == FieldAction::What::Fix || action.what == FieldAction::What::Free) && !found->second.flag)
            throw UsageError(action.name + " has no fixed flag");
    }
    const auto commands = session.commands();
    for (const auto& command : options.commands)
        if (!commands.count(command))
            throw UsageError(command + " is not a command of this window");
}

void applyField(const FieldAction& action, Session& session)
{
    if (action.what == FieldAction::What::Identifier) {
        session.identifier().setText(*action.text);
        return;
    }
    const FieldRef ref = session.fields().at(action.name);
    if (action.text)
        ref.field->setText(*action.text);
    if (action.what == FieldAction::What::Fix)
        ref.flag->setChecked(true);
    else if (action.what == FieldAction::What::Free)
        ref.flag->setChecked(false);
}

void load(const Options& options, Session& session, BatchPlatform& platform)
{
    const std::string& file = *options.file;
    switch (options.loading.value_or(Loading::CsvText)) {
    case Loading::CsvText:
        platform.openFileName = file;
        session.importCsvText();
        break;
    case Loading::Drop: {
        std::error_code ignored;
        session.drop({{file, std::filesystem::is_directory(file, ignored)}});
        break;
    }
    case Loading::Instrument:
        platform.importDialogActions = [&](TFrmParseVerdex& dialog) {
            (options.tab ? dialog.RadioButtonTab : dialog.RadioButtonComma).setChecked(true);
            dialog.EdtVerdexFileName.setText(file);
            dialog.EdtRow.setText(options.instrumentParts[0]);
            session.instrumentXColumn().setText(options.instrumentParts[1]);
            dialog.EdtAssimilation.setText(options.instrumentParts[2]);
            dialog.BtnOkClick();
        };
        session.importInstrument();
        break;
    }
}

// The general error display: a command that ends with an error shows its message.
void runShowingErrors(BatchPlatform& platform, const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& error) {
        platform.showError(error.what());
    }
}

}  // namespace

int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, char decimalSeparator)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << usageText;
        return exitClean;
    }

    BatchPlatform platform(err, decimalSeparator);
    ImportSettings importSettings;
    Options options;
    std::unique_ptr<Session> session;
    try {
        options = parseArguments(args);
        if (options.kind == Kind::Aci)
            session = std::make_unique<AciSession>(platform, importSettings);
        else
            session = std::make_unique<AqSession>(platform, importSettings);
        checkAgainstWindow(options, *session);
    } catch (const UsageError& error) {
        err << "calvane-batch: " << error.what() << '\n' << usageText;
        return exitUsage;
    }

    if (!readFileBytes(*options.file)) {
        err << FileError::cannotOpen(*options.file).what() << '\n';
        return exitUsage;
    }

    runShowingErrors(platform, [&] { load(options, *session, platform); });
    for (const auto& action : options.fields)
        applyField(action, *session);

    std::vector<std::string> commands = options.commands;
    if (commands.empty() && !options.none)
        commands.push_back(session->defaultCommand());
    const auto table = session->commands();
    for (const auto& command : commands)
        runShowingErrors(platform, table.at(command));

    const std::vector<std::string> lines = session->exportLines();
    if (options.output)
        runShowingErrors(platform, [&] { writeExportFile(platform, *options.output, lines); });
    else
        out << linesToFileBytes(lines) << std::flush;

    return platform.messageCount() > 0 ? exitMessages : exitClean;
}

}  // namespace calvane::batch
