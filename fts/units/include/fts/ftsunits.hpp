// ftsunits: unit texts built from the unit codes of a scan header, with superscript markers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "fts/header.hpp"

namespace fts {

// A unit text: TEXT holds exactly the used characters (the used length is TEXT.size()); ATOMIC
// is 1 for a single factor that combines without parentheses, 0 for a product, a quotient or a
// text with a leading minus sign. Superscripts are marked by ESC "J" ... ESC "L".
struct UnitText {
  std::string text;
  int32_t atomic = 1;
};

constexpr char kEscape = '\x1b';

// ---------------------------------------------------------------------------------------------
// Base units by code.

void YBASUN(int32_t CODE, UnitText& U);  // data values
void XBASUN(int32_t CODE, UnitText& U);  // axis of the data values
void SBASUN(int32_t CODE, UnitText& U);  // spectrum sample axis
void IBASUN(int32_t CODE, UnitText& U);  // interferogram sample axis

// ---------------------------------------------------------------------------------------------
// Building blocks.

void INTSTR(int32_t N, UnitText& U);                 // "0".."9", else "*"
int32_t I4GCD(int32_t A, int32_t B);                 // gcd of |A| and |B| (both non-zero)
void FRCSTR(int32_t NUM, int32_t DEN, UnitText& U);  // fraction as text
void ATOMIZ(const UnitText& A, UnitText& U);         // parenthesised unless atomic
void UNTCPY(const UnitText& A, UnitText& U);         // copy
void UNTEXP(const UnitText& A, int32_t NUM, int32_t DEN, UnitText& U);  // A^(NUM/DEN)
void UNTMUL(const UnitText& A, const UnitText& B, UnitText& U);         // A-B
void UNTDIV(const UnitText& A, const UnitText& B, UnitText& U);         // A/B

// True when the two unit texts are equal, compared with blank padding ("1" equals "1 ").
bool same_text(std::string_view a, std::string_view b);

// ---------------------------------------------------------------------------------------------
// Complete unit texts.

void UNTSTR(int32_t IYD, int32_t IPY, int32_t IXD, int32_t IPX, int32_t IYC, int32_t IQY,
            int32_t IXC, int32_t IQX, int32_t IDEN, UnitText& U);
void DUNITS(const Header& HDR, int32_t IDEN, UnitText& U);

// Replaces the superscript markers in the first LEN characters of TEXT by S1 (start) and S2
// (end), each at its full length. The new text replaces the old one, blank-padded to the size
// TEXT had (a longer result is kept whole), and LEN becomes the new used length.
void DEFSSC(std::string& TEXT, int32_t& LEN, std::string_view S1, std::string_view S2);
// The same on a unit text.
void DEFSSC(UnitText& U, std::string_view S1, std::string_view S2);

}  // namespace fts
