#pragma once

// The sideways sway of the standing head at particle g:
// 0.001 * sin(10 g + clock). The argument reaches 150000 and more, where
// single precision cannot follow the clock's tenths, so it is worked in double.
double SwayOffset(int g, float clock);

// sin(x) for |x| up to a few million, built only from additions,
// multiplications and floor, so it gives the same bits with every compiler
// and C library; the libraries' own sines differ in the last bit now and then,
// and the crowd must not.
double PortableSine(double x);
