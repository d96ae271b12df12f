#include "batch/WindowSession.h"

#include "batch/BatchPlatform.h"
#include "batch/Summary.h"
#include "core/NumberText.h"

namespace calvane::batch {

std::string withUnit(const std::string& name, const std::string& unit)
{
    return unit.empty() ? name : name + " (" + unit + ")";
}

std::vector<std::string> WindowSession::summaryHeader()
{
    std::vector<std::string> header;
    const auto all = fields();
    for (const auto& name : summaryOrder()) {
        header.push_back(withUnit(name, unit(name)));
        if (all.at(name).flag)
            header.push_back(name + " state");
    }
    for (auto part : {extraHeader(), standardFitHeader()})
        header.insert(header.end(), part.begin(), part.end());
    return header;
}

std::vector<std::string> WindowSession::summaryFields(char separator)
{
    std::vector<std::string> row;
    const auto all = fields();
    for (const auto& name : summaryOrder()) {
        const FieldRef ref = all.at(name);
        row.push_back(withDecimalPoint(ref.field->text(), separator));
        if (ref.flag)
            row.push_back(fixedStateWord(*ref.flag));
    }
    for (auto part : {extraFields(), standardFitFields()})
        row.insert(row.end(), part.begin(), part.end());
    return row;
}

std::unique_ptr<WindowSession> makeSession(WindowKind kind, BatchPlatform& platform, ImportSettings& settings)
{
    if (kind == WindowKind::Aci)
        return makeAciSession(platform, settings);
    return makeAqSession(platform, settings);
}

void checkAgainstWindow(const BatchJob& job, WindowSession& session)
{
    const auto fields = session.fields();
    for (const auto& action : job.fields) {
        if (action.what == FieldAction::What::Identifier)
            continue;
        const auto found = fields.find(action.name);
        if (found == fields.end())
            throw UsageError("unknown field name " + action.name);
        if ((action.what == FieldAction::What::Fix || action.what == FieldAction::What::Free) && !found->second.flag)
            throw UsageError(action.name + " has no fixed flag");
    }
    for (const auto& hold : job.standardOptions.holds) {
        if (!session.canHold(hold.first))
            throw UsageError("--standard-hold: the standard fit has no estimate " + hold.first + " to hold");
    }
    const auto commands = session.commands();
    for (const auto command : job.commands)
        if (!commands.count(command))
            throw UsageError(commandOption(command) + " is not a command of this window");
}

void applyField(const FieldAction& action, WindowSession& session)
{
    if (action.what == FieldAction::What::Identifier) {
        session.identifier().setText(action.text.value_or(std::string()));
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

}  // namespace calvane::batch
