#include "batch/BatchJob.h"

namespace calvane::batch {

std::string commandOption(Command command)
{
    switch (command) {
    case Command::Compute:
        return "--compute";
    case Command::Fit:
        return "--fit";
    case Command::Refine:
        return "--refine";
    case Command::Plot:
        return "--plot";
    case Command::Clear:
        break;
    }
    return "--clear";
}

void checkJob(const BatchJob& job)
{
    if (job.inputs.empty())
        throw UsageError("missing INPUT");
    // A log names its x and A columns in --instrument ROW,XCOL,ACOL.
    if (job.loading == Loading::Instrument && (job.xColumn || job.aColumn))
        throw UsageError("--x and --a go with --group tables, not with --instrument");
    if (job.group && job.loading != Loading::Instrument && (!job.xColumn || !job.aColumn))
        throw UsageError("--group needs --x COLUMN and --a COLUMN");
    if (!job.group && (job.xColumn || job.aColumn))
        throw UsageError("--x and --a go with --group");
    if (job.output && job.outDir)
        throw UsageError("-o cannot go with --out-dir");
    if (job.none && !job.commands.empty())
        throw UsageError("--none cannot go with a command");
    if (job.delimiter && job.loading != Loading::Instrument)
        throw UsageError("--tab, --semicolon and --comma go with --instrument");
    if (job.standardOptions.any() && !job.standardFit)
        throw UsageError("--fit-tpu, --standard-hold, --gm and --exclude go with --standard-fit");
    if ((job.standardOptions.fitTpu || job.standardOptions.gm) && job.kind != WindowKind::Aci)
        throw UsageError("--fit-tpu and --gm are options of the A/Ci window");
    if (job.figure && !job.wantsCharts())
        throw UsageError("--chart-size and --dpi go with --chart or --chart-format");
    if (job.chartFormat && !job.chart && !job.outDir)
        throw UsageError("--chart-format goes with --out-dir; for one chart give --chart PATH");
    if (job.chart && !job.chartFormat)
        throw UsageError("--chart " + *job.chart + ": the file name must end in .png, .svg or .pdf");
    if (job.wantsCharts()) {
        if (const auto problem = chart::figureOptionsProblem(job.figure.value_or(chart::FigureOptions{}),
                                                             *job.chartFormat))
            throw UsageError(*problem);
    }
}

}  // namespace calvane::batch
