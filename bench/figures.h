#pragma once
// The bench's figures, each measured over several runs of the real OrvhUpdate.exe under
// the same conditions as its point of comparison, and printed as they are taken.
#include "journal_reader.h"

#include <string>
#include <vector>

namespace orvh::bench {

// Several measurements of one quantity.
struct Samples {
    std::vector<double> values;
    double Min() const;
    double Median() const;
    double Max() const;
};

// Prints "label: v1 v2 ... (min / median / max unit)".
void PrintSamples(const char* label, const Samples& samples, const char* unit);
// Prints "figure NAME: VALUE", the line the bench script reads.
void PrintFigure(const char* name, double value);

// One update run against Windows Installer doing the same installations alone.
void MeasureUpdateRuns(int runs);
// One launcher run's time as its journal tells it: each event, the phases, and the share of
// Windows Installer's calls, of the wait and of the launcher's own work in `wallMs`.
void PrintBreakdown(const std::vector<orvh::test::JournalLine>& journal, double wallMs);
// The launcher's CPU while it waits for a process.
void MeasureWaitCpu(int runs);
// The start of the help box against a trivial program's box.
void MeasureStartOverhead(int runs);

// The Windows Installer work of an update run and nothing else, in a process of its own:
// the full package installed, then the patch applied, as the launcher asks for them.
int InstallAlone(const std::wstring& package, const std::wstring& patch);

} // namespace orvh::bench
