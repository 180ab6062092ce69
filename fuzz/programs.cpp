// programs: the table of the programs that the program harness runs. A program joins it with one
// entry here and its name in the list of fuzz/CMakeLists.txt.
#include "programs.hpp"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "combirax.hpp"
#include "ledgorix.hpp"
#include "lissorak.hpp"
#include "magnorav.hpp"

namespace fts::fuzz {

namespace {

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
