// ftsiface: the terminal dialogue (prompts, answers, range tests), the message log and the stop
// on error, the openers of text and scan files, and the clock as day number and milliseconds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fts {

// ---------------------------------------------------------------------------------------------
// Message log. Every line begins with a blank and "#"; a prompt leaves the cursor behind it.

void REQUES(std::string_view TEXT);                // prompt, no end of line
void MESSAG(std::string_view TEXT);                // message line
void MSGNUM(std::string_view TEXT, int32_t NUM);   // message line ending in NUM as six digits
void WRTLOG(int32_t IERR, std::string_view TEXT);  // message line when IERR is not 0
// When IERR is not 0: the message line, the line "#ERROR", every file closed, exit status 0.
void STPLOG(int32_t IERR, std::string_view TEXT);
void SKPLIN(int32_t NLINES);  // NLINES lines holding one blank
void NEWPAG(int32_t LUN);     // a blank and a form feed, as one line of the text file on LUN

// ---------------------------------------------------------------------------------------------
// Answers, one line of standard input each. When standard input has ended, these routines write
// their "END OF INPUT" message and stop the run as STPLOG does.

// One line into STR, cut or blank-padded to STR's size (its declared length).
void GETSTR(std::string& STR);
// A one-letter choice: ICHO = position in CODES of the upper-cased first character typed.
void GETABR(std::string_view CODES, int32_t& ICHO, int32_t& IERR);
// Up to three comma-separated numbers with default flags (1 = field empty or starting with U).
void GETNUM(int32_t ICNT, int32_t& V1, int32_t& D1, int32_t& V2, int32_t& D2, int32_t& V3,
            int32_t& D3, int32_t& IERR);
void GETFLT(int32_t ICNT, float& V1, int32_t& D1, float& V2, int32_t& D2, float& V3, int32_t& D3,
            int32_t& IERR);
void GETDBL(int32_t ICNT, double& V1, int32_t& D1, double& V2, int32_t& D2, double& V3, int32_t& D3,
            int32_t& IERR);

// ---------------------------------------------------------------------------------------------
// Tests. Ranges are inclusive at both ends.

void TSTIOS(int32_t IOS, int32_t& IERR);  // IOS > 0 is an error (status line written)
// VMIN <= VAL <= VMAX, else IERR = 1 and the routine's line "NUMBER OUT OF RANGE".
void TSTNUM(int32_t VAL, int32_t VMIN, int32_t VMAX, int32_t& IERR);
void TSTFLT(float VAL, float VMIN, float VMAX, int32_t& IERR);
void TSTDBL(double VAL, double VMIN, double VMAX, int32_t& IERR);

// ---------------------------------------------------------------------------------------------
// Files. Trailing blanks of a name are ignored. A failed open writes the TSTIOS status line and
// the opener's own line, and returns IERR = 1.

void OPTINP(int32_t LUN, std::string_view FNAME, int32_t& IERR);  // existing text file
void OPTOUT(int32_t LUN, std::string_view FNAME, int32_t& IERR);  // new text file
void OPFINP(int32_t LUN, std::string_view FNAME, int32_t& IERR);  // existing scan file, LUN 1-100
void OPFOUT(int32_t LUN, std::string_view FNAME, int32_t& IERR);  // new scan file, LUN 1-100

// ---------------------------------------------------------------------------------------------
// Clock.

void DATSTR(std::string& STR);              // "dd-Mon-yy  hh:mm:ss" (19 characters)
void SYSTIM(int32_t& JDAY, int32_t& MSEC);  // local date as day number, time in milliseconds

namespace detail {
// The day number and milliseconds that SYSTIM reads back out of a date and a time text.
void clock_from_texts(std::string_view date, std::string_view time, int32_t& JDAY, int32_t& MSEC);
}  // namespace detail

}  // namespace fts
