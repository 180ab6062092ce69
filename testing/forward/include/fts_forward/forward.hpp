// fts_forward: the forward model of fit spectra. It makes the spectra that the rotational
// temperature fits are tested on, by code of its own that shares nothing with the fit's band
// model or the scan library's line shapes; only the scan library's writer and header accessors
// are used, to put the spectra into scan files. Everything is computed in double precision.
//
//   lines.hpp       Line, BoltzmannState, kC2; sorted_lines, line_file_text, write_line_file
//   line_shape.hpp  line_shape(window, X), instrument_line_shape(window, res, offset): the
//                   closed-form line shapes of the six apodisation windows, unit area
//   band.hpp        Calibration (slide scale), Grid, Band (a band of lines on a grid, the line
//                   shapes computed once), Terms, spectrum(band, terms, response, solar):
//                   y = G [BI r sum S P ILS J / sum S P + SA r s]
//   hydroxyl.hpp    hydroxyl_band(v', v''): the lines of an OH Meinel band from molecular
//                   constants (term values, intermediate-coupling line strengths)
//   noise.hpp       Noise(seed): Box-Muller deviates over std::mt19937_64, reproducible
//   scans.hpp       Axis, make_axis, axis_grid, axis_resolution: header items of an axis in
//                   cm-1; ScanTime, scan_time, mid_time; Site; ScanItems, spectrum_header;
//                   ScanWriter (OPFOUT + STINDX), write_response_file, write_solar_file
//
// A typical spectrum: make_axis for the wanted range, axis_grid for its points, a Band of the
// line table on that grid with the axis's window and axis_resolution, spectrum() at a
// temperature and band intensity, Noise::add, and ScanWriter::write with spectrum_header.
#pragma once

#include "fts_forward/band.hpp"
#include "fts_forward/hydroxyl.hpp"
#include "fts_forward/line_shape.hpp"
#include "fts_forward/lines.hpp"
#include "fts_forward/noise.hpp"
#include "fts_forward/scans.hpp"
