// ftswtapd: apodisation windows (boxcar and five Kaiser-Bessel windows) and their line shapes.
#pragma once

namespace fts {

// ---------------------------------------------------------------------------------------------
// Windows over normalised path difference X (|X| <= 1 inside the window).

float R4APD0(float X);  // boxcar: 1 for |X| <= 1, else 0
float R4APD1(float X);  // Kaiser-Bessel window 1 (beta = 4.499914), from cubic pieces
float R4APD2(float X);  // Kaiser-Bessel window 2 (beta = 7.2839975)
float R4APD3(float X);  // Kaiser-Bessel window 3 (beta = 9.892699)
float R4APD4(float X);  // Kaiser-Bessel window 4 (beta = 12.42304)
float R4APD5(float X);  // Kaiser-Bessel window 5 (beta = 14.9079685)

// ---------------------------------------------------------------------------------------------
// Line shapes over wavenumber offset X in unapodised resolution elements.

float KBWIND(float Z);  // sinh(sqrt Z)/sqrt Z, sin(sqrt -Z)/sqrt -Z, 1 at 0
float R4WND0(float X);  // boxcar: sin(pi X)/(pi X)
float R4WND1(float X);  // line shape of window 1
float R4WND2(float X);  // line shape of window 2
float R4WND3(float X);  // line shape of window 3
float R4WND4(float X);  // line shape of window 4
float R4WND5(float X);  // line shape of window 5

}  // namespace fts
