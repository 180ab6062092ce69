// cmdline: the table of the suite's programs as --help describes them. A new program is one
// entry here (its questions, files and an example answer file) and one manual page, man/<name>.1;
// the tests check that the page and the README say the same.
#include "fts/cmdline.hpp"

namespace fts::cmdline {

namespace {

// ---------------------------------------------------------------------------------------------
// kelvoras and kelvorn, the two fits: kelvorn asks the same questions without the solar ones.

constexpr Question kKelvorasQuestions[] = {
    {"$Enter the filename for status report  [64A1] >", "the status report, a new file"},
    {"$Enter the filename for the fit values [64A1] >", "the fit values, a new file"},
    {"$Do you wish to filter the data?        [Y/N] >", "Y or y: a high-pass filter"},
    {"$Enter the order of the filter           [1I] >", "(filter) its order, at most 1000"},
    {"$Enter the time constant in slide cm-1   [1F] >", "(filter) its time constant, above 0"},
    {"$Do you wish to change default settings [Y/N] >", "Y or y asks the next four"},
    {"$Enter new initial temperature     [180.0]    >", "the starting temperature, K"},
    {"$Enter new parameter fractional error [1.E-3] >", "the convergence tolerance"},
    {"$Enter new maximum iteration count    [10]    >", "the iteration limit, at most 1000"},
    {"$Enter new bin limit for convolution     [10] >", "the line-shape cut, BINLIM"},
    {"$Enter the input data filename         [64A1] >", "the scan file of spectra"},
    {"$Fit the wavenumber range          [From, to] >", "two wavenumbers"},
    {"$Fit files                          [from,to] >", "first and last scan; 0 ends the run"},
    {"$Enter the response filename (or RET)  [64A1] >", "a response scan file, or empty"},
    {"$Enter the data mask filename (or RET) [64A1] >", "a mask file, or empty"},
    {"$Enter the solar spectra file (or RET) [64A1] >", "solar spectra, or empty"},
    {"$ (No to use the header variables)      [Y/N] >", "Y or y: the site typed, next three"},
    {"$Enter the Latitude (in decimal degrees, +=N) >", "latitude, degrees north"},
    {"$Enter the Longitude (decimal degrees, +=W)   >", "longitude, degrees west"},
    {"$Enter the Altitude (Metres above sea level)  >", "altitude, metres"},
    {"$       calibration factors (or RET.)  [64A1] >", "a calibration file, or empty"},
    {"$Enter the rotational line param file  [64A1] >", "(first pass) the line file"},
    {"$Do Initial or Final state in Boltzmann [I/F] >", "(first pass) I or F"},
};
constexpr std::string_view kKelvorasExample[] = {
    "kelvoras.rep", "kelvoras.fit", "N",         "N", "night.scn", "6374.0, 6655.0", "1, 72",
    "response.scn", "mask.txt",     "solar.scn", "N", "calib.txt", "lines.txt",      "I",
    "0, 0"};

constexpr Question kKelvornQuestions[] = {
    kKelvorasQuestions[0],  kKelvorasQuestions[1],  kKelvorasQuestions[2],  kKelvorasQuestions[3],
    kKelvorasQuestions[4],  kKelvorasQuestions[5],  kKelvorasQuestions[6],  kKelvorasQuestions[7],
    kKelvorasQuestions[8],  kKelvorasQuestions[9],  kKelvorasQuestions[10], kKelvorasQuestions[11],
    kKelvorasQuestions[12], kKelvorasQuestions[13], kKelvorasQuestions[14], kKelvorasQuestions[20],
    kKelvorasQuestions[21], kKelvorasQuestions[22],
};
constexpr std::string_view kKelvornExample[] = {
    "kelvorn.rep", "kelvorn.fit",  "N",        "N",         "night.scn", "6374.0, 6655.0",
    "1, 72",       "response.scn", "mask.txt", "calib.txt", "lines.txt", "I",
    "0, 0"};

constexpr std::string_view kFitNotes =
    "Every prompt is a whole line. Questions from \"Fit files\" on are asked again for every\n"
    "pass; a first scan of 0 there ends the run. An answer that cannot be read ends the run\n"
    "with the lines \" USER REQUESTED TERMINATION, FILE=\" and \"ERROR= T\".";

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
    {.name = "kelvoras",
     .summary = "fits rotational temperatures, band intensities and a scattered-sunlight term to "
                "every spectrum of a scan file",
     .questions = kKelvorasQuestions,
     .dialogue_notes = kFitNotes,
     .reads = "the spectra, the line parameter file, and as answered the response, the mask,\n"
              "the solar spectra and the calibration factors",
     .writes = "the status report and the fit values, one line per scan",
     .example = kKelvorasExample},
    {.name = "kelvorn",
     .summary = "fits rotational temperatures and band intensities to every spectrum of a scan "
                "file, without the solar term",
     .questions = kKelvornQuestions,
     .dialogue_notes = kFitNotes,
     .reads = "the spectra, the line parameter file, and as answered the response, the mask\n"
              "and the calibration factors",
     .writes = "the status report and the fit values, one line per scan",
     .example = kKelvornExample},
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
