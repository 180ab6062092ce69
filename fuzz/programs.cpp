// programs: the table of the programs that the program harness runs. A program joins it with one
// entry here and its name in the list of fuzz/CMakeLists.txt.
#include "programs.hpp"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "combirax.hpp"
#include "fit/run.hpp"
#include "ledgorix.hpp"
#include "lissorak.hpp"
#include "magnorav.hpp"

namespace fts::fuzz {

namespace {

int run_kelvoras() {
  return fit::run(fit::Variant::kelvoras);
}
int run_kelvorn() {
  return fit::run(fit::Variant::kelvorn);
}

// The fixed inputs of the fit programs (fuzz/fixtures/fit_*): a twilight night of three spectra,
// its line parameter file, response, mask, calibration factors and solar spectra. The fuzzed
// file, night.dat, takes each role in turn: the data file, then the line parameter file, the
// response, the mask and calibration factors, and (kelvoras) the solar spectra.
const std::vector<std::pair<std::string_view, std::string_view>> kFitFixtures = {
    {"data.dat", "fit_data.dat"},
    {"lines.txt", "fit_lines.txt"},
    {"response.dat", "fit_response.dat"},
    {"mask.txt", "fit_mask.txt"},
    {"calibration.txt", "fit_calibration.txt"},
    {"solar.dat", "fit_solar.dat"},
};

const std::array kPrograms = {
    Program{
        .name = "combirax",
        .run = combirax::run,
        .input = "scans.dat",
        .answers = {"scans.dat\nmean.dat\nc\nb\n,\n",               // centred, every scan
                    "scans.dat\nmean.dat\na\nf\n2,3\n1,1\n0,0\n"},  // absolute, a rewind
        .final_line = " #COMBIRAX     - OK",
    },
    Program{
        .name = "ledgorix",
        .run = ledgorix::run,
        .input = "scans.dat",
        .answers = {"scans.dat\nreport.txt\n,\n",               // every scan
                    "scans.dat\nreport.txt\n2,2\n1,1\n0,0\n"},  // a rewind
        .final_line = " #LEDGORIX     - OK",
    },
    Program{
        .name = "magnorav",
        .run = magnorav::run,
        .input = "model.dat",
        .answers = {"model.dat\n1\n2\n-0.1\nscaled.dat\n",       // the first scan
                    "model.dat\n2\n-3e38\n3e38\nscaled.dat\n"},  // the second, out of range
        .final_line = " *OK",
    },
    Program{
        .name = "lissorak",
        .run = lissorak::run,
        .input = "fit.txt",
        .answers = {"fit.txt\nsmooth.txt\ny\n10\n",  // filtered, gaps of 10 minutes
                    "fit.txt\nsmooth.txt\nn\n0\n"},  // every record, any step a gap
        .final_line = "",
    },
    Program{
        .name = "kelvoras",
        .run = run_kelvoras,
        .input = "night.dat",
        .answers =
            {
                // The data file, with every input.
                "status.txt\nvalues.txt\nn\nn\nnight.dat\n6810 6860\n1,3\nresponse.dat\n"
                "mask.txt\nsolar.dat\nn\ncalibration.txt\nlines.txt\nf\n0,0\n",
                // The data file whole, filtered, new settings, typed site; two passes.
                "status.txt\nvalues.txt\ny\n4\n5\ny\n200\n1e-3\n10\n10\nnight.dat\n"
                "-1e30 1e30\n1,2\n\n\nsolar.dat\ny\n50\n-7\n120\n\nlines.txt\ni\n3,3\n"
                "response.dat\n\n\n\n0,0\n",
                // The line parameter file.
                "status.txt\nvalues.txt\nn\nn\ndata.dat\n6810 6860\n1,3\n\n\n\n\nnight.dat\n"
                "f\n0,0\n",
                // The response.
                "status.txt\nvalues.txt\nn\nn\ndata.dat\n6810 6860\n1,2\nnight.dat\n\n\n\n"
                "lines.txt\nf\n0,0\n",
                // The mask and the calibration factors.
                "status.txt\nvalues.txt\nn\nn\ndata.dat\n6810 6860\n1,2\n\nnight.dat\n\n"
                "night.dat\nlines.txt\nf\n0,0\n",
                // The solar spectra.
                "status.txt\nvalues.txt\nn\nn\ndata.dat\n6810 6860\n1,3\n\n\nnight.dat\nn\n\n"
                "lines.txt\nf\n0,0\n",
            },
        .final_line = "",
        .fixtures = kFitFixtures,
    },
    Program{
        .name = "kelvorn",
        .run = run_kelvorn,
        .input = "night.dat",
        .answers =
            {
                // The data file, with every input.
                "status.txt\nvalues.txt\nn\nn\nnight.dat\n6810 6860\n1,3\nresponse.dat\n"
                "mask.txt\ncalibration.txt\nlines.txt\nf\n0,0\n",
                // The data file whole, filtered, new settings; two passes.
                "status.txt\nvalues.txt\ny\n4\n5\ny\n200\n1e-3\n10\n10\nnight.dat\n"
                "-1e30 1e30\n1,2\n\n\n\nlines.txt\ni\n3,3\nresponse.dat\n\n\n0,0\n",
                // The line parameter file.
                "status.txt\nvalues.txt\nn\nn\ndata.dat\n6810 6860\n1,3\n\n\n\nnight.dat\n"
                "f\n0,0\n",
                // The response.
                "status.txt\nvalues.txt\nn\nn\ndata.dat\n6810 6860\n1,2\nnight.dat\n\n\n"
                "lines.txt\nf\n0,0\n",
                // The mask and the calibration factors.
                "status.txt\nvalues.txt\nn\nn\ndata.dat\n6810 6860\n1,2\n\nnight.dat\n"
                "night.dat\nlines.txt\nf\n0,0\n",
            },
        .final_line = "",
        .fixtures = kFitFixtures,
    },
};

}  // namespace

const Program& program(std::string_view name) {
  for (const Program& p : kPrograms) {
    if (p.name == name) return p;
  }
  std::fprintf(stderr, "no program %.*s in the harness's table\n", static_cast<int>(name.size()),
               name.data());
  std::abort();
}

}  // namespace fts::fuzz
