// A small program for the dialogue tests: asks a name, a direction, a scan range and a factor,
// writes a text file, and stops through the error stop when an answer is wrong.
#include <string>

#include "fts/ftsiface.hpp"
#include "fts/lun.hpp"
#include "fts/textio.hpp"

int main() {
  using namespace fts;
  int32_t ierr = 0, icho = 0;
  REQUES("NAME                   (TEXT) : ");
  std::string name(16, ' ');
  GETSTR(name);
  REQUES("DIRECTION        (FOR/REV/BOTH) : ");
  GETABR("FRB", icho, ierr);
  STPLOG(ierr, "PROBE    01> - ? DIRECTION");
  REQUES("ACCESS SCANS           (#FROM,#TO) : ");
  int32_t first = 0, d1 = 0, last = 0, d2 = 0, v3 = 0, d3 = 0;
  GETNUM(2, first, d1, last, d2, v3, d3, ierr);
  STPLOG(ierr, "PROBE    02> - ? SCAN RANGE");
  if (d1 != 0) first = 1;
  if (d2 != 0) last = 1000000;
  OPTOUT(7, "probe.txt", ierr);
  STPLOG(ierr, "PROBE    03> - ? OUTPUT FILE");
  lun::write_line(7, (textio::FreeLine() << name << icho << first << last).str());
  REQUES("FACTOR                    (X) : ");
  float factor = 0, f2 = 0, f3 = 0;
  GETFLT(1, factor, d1, f2, d2, f3, d3, ierr);
  STPLOG(ierr, "PROBE    04> - ? FACTOR");
  textio::put_line((textio::FreeLine() << "FACTOR=" << factor).str());
  MESSAG("PROBE        - OK");
  lun::close_all();
  return 0;
}
