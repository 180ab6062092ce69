// ftsunits: unit texts from unit codes, their products, quotients and powers, and the
// replacement of superscript markers.
#include "fts/ftsunits.hpp"

#include <algorithm>

#include "fts/lun.hpp"

namespace fts {

namespace {

const std::string kSupStart = {kEscape, 'J'};
const std::string kSupEnd = {kEscape, 'L'};

std::string sup(const std::string& x) {
  return kSupStart + x + kSupEnd;
}

UnitText make(std::string text, int32_t atomic = 1) {
  return UnitText{std::move(text), atomic};
}

bool is_one(const UnitText& u) {
  return same_text(u.text, "1");
}

int64_t abs64(int32_t v) {
  return v < 0 ? -int64_t{v} : v;
}

}  // namespace

bool same_text(std::string_view a, std::string_view b) {
  const auto ea = a.find_last_not_of(' ');
  const auto eb = b.find_last_not_of(' ');
  a = a.substr(0, ea == std::string_view::npos ? 0 : ea + 1);
  b = b.substr(0, eb == std::string_view::npos ? 0 : eb + 1);
  return a == b;
}

void YBASUN(int32_t CODE, UnitText& U) {
  switch (CODE) {
    case 0:
      U = make("ARB");
      break;
    case 1:
      U = make("VOLTS");
      break;
    case 2:
      U = make("PHOTONS/CM" + sup("2") + "-SEC-SR", 0);
      break;
    case 3:
      U = make("WATTS/CM" + sup("2") + "-SR", 0);
      break;
    default:
      U = make("*");
      break;
  }
}

void XBASUN(int32_t CODE, UnitText& U) {
  switch (CODE) {
    case 0:
      U = make("SMP");
      break;
    case 1:
      U = make("SCM");
      break;
    case 2:
      U = make("CM");
      break;
    case 3:
      U = make("SEC");
      break;
    default:
      U = make("*");
      break;
  }
}

void SBASUN(int32_t CODE, UnitText& U) {
  switch (CODE) {
    case 0:
      U = make("SCM" + sup("-1"));
      break;
    case 1:
      U = make("CM" + sup("-1"));
      break;
    case 2:
      U = make("HZ");
      break;
    default:
      U = make("*");
      break;
  }
}

void IBASUN(int32_t CODE, UnitText& U) {
  switch (CODE) {
    case 0:
      U = make("SCM");
      break;
    case 1:
      U = make("CM");
      break;
    case 2:
      U = make("SEC");
      break;
    default:
      U = make("*");
      break;
  }
}

void INTSTR(int32_t N, UnitText& U) {
  U = N >= 0 && N <= 9 ? make(std::string(1, static_cast<char>('0' + N))) : make("*");
}

int32_t I4GCD(int32_t A, int32_t B) {
  // Euclid's algorithm; the same result as subtracting the smaller from the larger.
  int64_t a = abs64(A);
  int64_t b = abs64(B);
  while (b != 0) {
    const int64_t r = a % b;
    a = b;
    b = r;
  }
  return static_cast<int32_t>(a);
}

void FRCSTR(int32_t NUM, int32_t DEN, UnitText& U) {
  if (DEN == 0) {
    U = make("*");
    return;
  }
  if (NUM == 0) {
    U = make("0");
    return;
  }
  const bool negative = (NUM < 0) != (DEN < 0);
  const int64_t g = I4GCD(NUM, DEN);
  UnitText p, q;
  INTSTR(static_cast<int32_t>(std::min<int64_t>(abs64(NUM) / g, 10)), p);
  INTSTR(static_cast<int32_t>(std::min<int64_t>(abs64(DEN) / g, 10)), q);
  UnitText r;
  UNTDIV(p, q, r);
  if (negative) r = make("-" + r.text, 0);
  U = std::move(r);
}

void ATOMIZ(const UnitText& A, UnitText& U) {
  U = A.atomic ? A : make("(" + A.text + ")");
}

void UNTCPY(const UnitText& A, UnitText& U) {
  U = A;
}

void UNTEXP(const UnitText& A, int32_t NUM, int32_t DEN, UnitText& U) {
  if (DEN == 0) return;
  UnitText f;
  FRCSTR(NUM, DEN, f);
  if (same_text(f.text, "0") || is_one(A)) {
    U = make("1");
  } else if (!same_text(f.text, "1")) {
    UnitText base;
    ATOMIZ(A, base);
    U = make(base.text + kSupStart + f.text + kSupEnd);
  } else {
    U = A;
  }
}

void UNTMUL(const UnitText& A, const UnitText& B, UnitText& U) {
  const bool a1 = is_one(A), b1 = is_one(B);
  if (!a1 && !b1) {
    UnitText a, b;
    ATOMIZ(A, a);
    ATOMIZ(B, b);
    U = make(a.text + "-" + b.text, 0);
  } else if (!a1) {
    U = A;
  } else if (!b1) {
    U = B;
  } else {
    U = make("1");
  }
}

void UNTDIV(const UnitText& A, const UnitText& B, UnitText& U) {
  if (same_text(A.text, B.text)) {
    U = make("1");
    return;
  }
  const bool a1 = is_one(A), b1 = is_one(B);
  UnitText b;
  ATOMIZ(B, b);
  if (!a1 && !b1) {
    UnitText a;
    ATOMIZ(A, a);
    U = make(a.text + "/" + b.text, 0);
  } else if (!a1) {
    U = A;
  } else {
    U = make("1/" + b.text, 0);
  }
}

void UNTSTR(int32_t IYD, int32_t IPY, int32_t IXD, int32_t IPX, int32_t IYC, int32_t IQY,
            int32_t IXC, int32_t IQX, int32_t IDEN, UnitText& U) {
  if (IPY < 0 || IPX < 0 || IQY < 0 || IQX < 0 || IDEN < 0) {
    U = make("*");
    return;
  }
  // Cancel units that stand in both numerator and denominator.
  if (IYD == IYC) {
    const int32_t m = std::min(IPY, IQY);
    IPY -= m;
    IQY -= m;
  }
  if (IXD == IXC) {
    const int32_t m = std::min(IPX, IQX);
    IPX -= m;
    IQX -= m;
  }
  UnitText t1, t2, t3, t4;
  YBASUN(IYD, t1);
  YBASUN(IYC, t2);
  XBASUN(IXD, t3);
  XBASUN(IXC, t4);
  UNTEXP(t1, IPY, IDEN, t1);
  UNTEXP(t2, IQY, IDEN, t2);
  UNTEXP(t3, IPX, IDEN, t3);
  UNTEXP(t4, IQX, IDEN, t4);
  UnitText numerator, denominator;
  UNTMUL(t1, t3, numerator);
  UNTMUL(t2, t4, denominator);
  UNTDIV(numerator, denominator, U);
}

void DUNITS(const Header& HDR, int32_t IDEN, UnitText& U) {
  const bool spectrum = HDR(QQDKND) != 0;
  const bool ratio = HDR(QQDRAT) != 0;
  // The power items hold the power minus one; formed in 64 bits, a power beyond the 32-bit range
  // wraps to a negative one, which UNTSTR refuses.
  const auto power = [&HDR](int32_t item) { return static_cast<int32_t>(int64_t{HDR(item)} + 1); };
  UNTSTR(HDR(QQDYUN), power(QQDYPW), HDR(QQDXUN), spectrum ? 1 : 0, HDR(QQCYUN),
         ratio ? power(QQCYPW) : 0, HDR(QQCXUN), spectrum && ratio ? 1 : 0, IDEN, U);
}

void DEFSSC(std::string& TEXT, int32_t& LEN, std::string_view S1, std::string_view S2) {
  // A used length beyond the text cannot be honoured; one of 0 or less scans nothing.
  if (LEN > 0 && static_cast<std::size_t>(LEN) > TEXT.size()) {
    lun::stop_with_message("DEFSSC   01> - LENGTH BEYOND THE TEXT");
  }
  const std::size_t n = LEN < 0 ? 0 : static_cast<std::size_t>(LEN);
  std::string out;
  bool marker = false;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = TEXT[i];
    if (!marker) {
      if (c == kEscape) {
        marker = true;
      } else {
        out.push_back(c);
      }
      continue;
    }
    if (c == 'J') {
      out += S1;
      marker = false;
    } else if (c == 'L') {
      out += S2;
      marker = false;
    } else if (c == kEscape) {
      out.push_back(kEscape);
    } else {
      out.push_back(kEscape);
      out.push_back(c);
      marker = false;
    }
  }
  LEN = static_cast<int32_t>(out.size());
  if (out.size() < TEXT.size()) out.resize(TEXT.size(), ' ');
  TEXT = std::move(out);
}

void DEFSSC(UnitText& U, std::string_view S1, std::string_view S2) {
  int32_t len = static_cast<int32_t>(U.text.size());
  DEFSSC(U.text, len, S1, S2);
  U.text.resize(static_cast<std::size_t>(len));
}

}  // namespace fts
