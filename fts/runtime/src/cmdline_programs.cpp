// cmdline: the table of the suite's programs as --help describes them. A new program is one
// entry here (its questions, files and an example answer file) and one manual page, man/<name>.1;
// the tests check that the page and the README say the same.
#include "fts/cmdline.hpp"

namespace fts::cmdline {

namespace {

// ---------------------------------------------------------------------------------------------
// combirax

constexpr Question kCombiraxQuestions[] = {
    {"ENTER INPUT FILE NAME       (NAME) :", "an existing scan file (up to 64 characters)"},
    {"ENTER AVERAGE FILE NAME     (NAME) :", "a new scan file"},
    {"SAMPLE ALIGNMENT TYPE    (ABS/CEN) :", "A (first points together) or C (centres)"},
    {"USE SCAN DIRECTIONS (FOR/REV/BOTH) :", "F, R or B: forward, reverse or both"},
    {"ACCESS SCANS           (#FROM,#TO) :", "first and last scan, comma-separated"},
};
constexpr std::string_view kCombiraxExample[] = {"night.dat", "mean.dat", "CEN", "FOR",
                                                 "1,20",      "41,60",    "0,0"};

// ---------------------------------------------------------------------------------------------
// ledgorix

constexpr Question kLedgorixQuestions[] = {
    {"ENTER INPUT FILE NAME   (NAME) :", "an existing scan file"},
    {"ENTER PRINT FILE NAME   (NAME) :", "the report, a new text file"},
    {"ACCESS SCANS       (#FROM,#TO) :", "first and last scan, comma-separated"},
};
constexpr std::string_view kLedgorixExample[] = {"night.scn", "night.txt", "1,3", "7,7", "0,0"};

// ---------------------------------------------------------------------------------------------
// magnorav

constexpr Question kMagnoravQuestions[] = {
    {"INPUT  FILE  :", "the model file, an existing scan file"},
    {"ENTER THE FRAME TO GET    :", "the number of the scan to take"},
    {"$Enter the scaling factor  >", "the factor"},
    {"$Enter the offset value    >", "the offset"},
    {"OUTPUT FILENAME =", "a new scan file"},
};
constexpr std::string_view kMagnoravExample[] = {"night.scn", "3", "2", "-0.1", "scan3.scn"};

// ---------------------------------------------------------------------------------------------
// lissorak

constexpr Question kLissorakQuestions[] = {
    {"INPUT FILENAME:", "an existing text file of records"},
    {"OUTPUT FILENAME:", "a new text file"},
    {"Filter out negative values [Y/N] :", "Y or y drops records with VAL1 or VAL2 <= 0"},
    {"Enter maxumum delta time (min) allowed :", "the largest time gap within a mean"},
};
constexpr std::string_view kLissorakExample[] = {"fit.txt", "smooth.txt", "Y", "10"};

// ---------------------------------------------------------------------------------------------
// The table, in the order of the README's table of programs.

constexpr Program kPrograms[] = {
    {.name = "combirax",
     .summary = "co-adds the interferograms of chosen scan ranges and directions into their "
                "weighted mean",
     .questions = kCombiraxQuestions,
     .dialogue_notes = "The last question is asked again after every range, until 0,0 or the "
                       "end of the\nscan file; then the mean is written. An empty field means "
                       "the first scan or the\nlast (\",\" is all).",
     .reads = "the scan file of interferograms",
     .writes = "the average file: one scan, the mean of the accepted interferograms, each "
               "weighted\nby its scan count",
     .example = kCombiraxExample},
    {.name = "ledgorix",
     .summary = "prints the headers of chosen scans as a paged report",
     .questions = kLedgorixQuestions,
     .dialogue_notes = "The last question is asked again after every range, until 0,0 or the "
                       "end of the\nscan file. An empty field means the first scan or the last "
                       "(\",\" is all).",
     .reads = "the scan file (never changed)",
     .writes = "the report: one page per scan, every header item under its six-character name",
     .example = kLedgorixExample},
    {.name = "magnorav",
     .summary = "scales one spectrum by a factor and an offset into a new scan file",
     .questions = kMagnoravQuestions,
     .dialogue_notes = "Numbers are read in free format. No file is opened before all five "
                       "answers are read.",
     .reads = "the model file: the chosen scan, a spectrum",
     .writes = "the output file: that spectrum times the factor plus the offset, as 32-bit "
               "floats,\nbehind the input's header",
     .example = kMagnoravExample},
    {.name = "lissorak",
     .summary = "smooths a time series of fit values by running means broken at time gaps",
     .questions = kLissorakQuestions,
     .dialogue_notes = "The time gap is in minutes. No file is opened before all four answers "
                       "are read.",
     .reads = "records of ten values: DAY HOUR VAL1 ERR1 VAL2 ERR2 AUX1 AUX2 AUX3 CNT\n"
              "(the fit values that kelvoras writes)",
     .writes = "running means of up to five records, in the same layout",
     .example = kLissorakExample},
};

}  // namespace

std::span<const Program> programs() {
  return kPrograms;
}

}  // namespace fts::cmdline
