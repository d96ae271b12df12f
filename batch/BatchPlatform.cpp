#include "batch/BatchPlatform.h"

#include <clocale>
#include <ostream>
#include <string>

namespace calvane::batch {

void BatchPlatform::showError(const std::string& message)
{
    ++messageCount_;
    // One line per message: a message box's own line breaks become spaces.
    std::string line = message;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    messages_ << line << '\n' << std::flush;
}

void BatchPlatform::runImportDialog(TFrmParseVerdex& dialog)
{
    if (importDialogActions)
        importDialogActions(dialog);
}

char localeDecimalSeparator()
{
    char separator = '.';
    if (std::setlocale(LC_NUMERIC, "")) {
        const char* point = std::localeconv()->decimal_point;
        if (point && point[0] && !point[1])
            separator = point[0];
    }
    std::setlocale(LC_NUMERIC, "C");
    return separator;
}

}  // namespace calvane::batch
