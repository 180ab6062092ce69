// hydroxyl: the rotational lines of a vibration-rotation band of the hydroxyl radical OH in its
// ground state X2Pi (a Meinel band of the night-sky airglow), from molecular constants.
//
// Model:
// - Vibrational levels G(v) and rotational constants B_v, D_v from the equilibrium constants of
//   OH X2Pi_i (Huber and Herzberg, Constants of Diatomic Molecules, 1979): omega_e = 3737.761,
//   omega_e x_e = 84.8813, omega_e y_e = 0.5409, omega_e z_e = -0.02263, B_e = 18.9108,
//   alpha_e = 0.7242, D_e = 19.38e-4 cm-1; spin-orbit constant A = -139.21 cm-1 (inverted
//   state) for every level.
// - Term values of both spin components by the Hill-Van Vleck formula for a 2Pi state between
//   Hund's cases (a) and (b), with Y = A/B_v and the centrifugal term of Herzberg (Spectra of
//   Diatomic Molecules, 1950):
//     F1(J) = B[(J+1/2)^2 - 1 - 1/2 sqrt(4(J+1/2)^2 + Y(Y-4))] - D J^4        (J >= 3/2)
//     F2(J) = B[(J+1/2)^2 - 1 + 1/2 sqrt(4(J+1/2)^2 + Y(Y-4))] - D (J+1)^4    (J >= 1/2)
//   F1 is the lower component (mostly 2Pi3/2 at low J, since A < 0).
// - Line strengths: rotational line-strength (Honl-London) factors for intermediate coupling,
//   from the case (a) amplitudes (2J'+1)^1/2 (2J''+1)^1/2 (J' 1 J''; -Omega 0 Omega) of the two
//   substates Omega = 1/2 and 3/2 mixed by the eigenvectors of each level's 2 x 2 Hamiltonian
//   (the one whose eigenvalues are the Hill-Van Vleck terms). This gives the main branches P1,
//   Q1, R1, P2, Q2, R2 and the weak satellites P12, Q12, R12, P21, Q21, R21 (subscripts: upper,
//   lower component).
// - The relative strength of a line is its photon emission rate per molecule in the upper
//   level times that level's degeneracy: S_HL (nu/nu_0)^3; the population of the upper level
//   then gives the line's intensity (photons) at temperature T.
// Simplifications: Lambda-doubling is neglected (each line stands for its unresolved doublet),
// as are the rotational dependence of the transition moment (Herman-Wallis factors), the
// vibrational dependence of A and D, and hyperfine structure. Positions are therefore good to a
// few cm-1, strengths to some ten per cent: a realistic band, not a reference line list.
#pragma once

#include <cstdint>
#include <vector>

#include "fts_forward/lines.hpp"

namespace fts::forward {

// Constants of one vibrational level of OH X2Pi, cm-1.
struct HydroxylLevel {
  double g = 0.0;  // vibrational term value G(v) above the minimum of the potential
  double b = 0.0;  // rotational constant B_v
  double d = 0.0;  // centrifugal distortion constant D_v
  double a = 0.0;  // spin-orbit constant A_v
};

HydroxylLevel hydroxyl_level(int32_t v);

// Term value of spin component I (1 or 2) of level LEVEL at total angular momentum J (a half
// integer, J >= 3/2 for F1 and J >= 1/2 for F2), cm-1, relative to the level's rotationless
// term; NaN for a level that does not exist.
double hydroxyl_term(const HydroxylLevel& level, int32_t i, double j);

// Line strength (Honl-London factor) of the transition from component IU at JU of level UPPER
// to component IL at JL of level LOWER; 0 unless |JU - JL| <= 1 and both levels exist. Summed
// over the lower levels it gives 2 JU + 1.
double hydroxyl_line_strength(const HydroxylLevel& upper, int32_t iu, double ju,
                              const HydroxylLevel& lower, int32_t il, double jl);

// Wigner 3j symbol (j1 j2 j3; m1 m2 m3) of half-integer arguments given doubled (2 j1, ...).
double wigner_3j(int32_t tj1, int32_t tj2, int32_t tj3, int32_t tm1, int32_t tm2, int32_t tm3);

// The lines of the band (V_UPPER, V_LOWER) with upper J up to J_MAX: the Line values for the
// line parameter file, in ascending order of wavenumber, with
//   wavenumber    G(v') + F'(J') - G(v'') - F''(J'')
//   initial_term  F'(J') above the lowest level of v' (F1 at J = 3/2)
//   final_term    F''(J'') above the lowest level of v''
//   strength      S_HL (nu/nu_0)^3, nu_0 = G(v') - G(v''); lines weaker than 1e-6 of the
//                 strongest are left out
//   label1        2 J'' (the lower level's J, doubled)
//   label2        branch: 100 (J' - J'' + 2) + 10 i' + i'' (P1 = 111, Q1 = 211, R1 = 311,
//                 P2 = 122, P12 = 112, Q21 = 221, ...)
std::vector<Line> hydroxyl_band(int32_t v_upper, int32_t v_lower, double j_max = 13.5);

}  // namespace fts::forward
